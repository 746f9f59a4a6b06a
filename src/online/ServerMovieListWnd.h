#pragma once
// The online catalogue: a search form, the movies found, and the download
// of the selected movie's story into a folder. The main window stays usable
// while it is open.

#include "editor/ToolWnd.h"
#include "online/http_exchange.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kinoleaf {

class FolderPickerWnd;
class PicMovieWnd;

class ServerMovieListWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ServerMovieListWnd(PicMovieWnd* owner);
    ~ServerMovieListWnd() override;

    // The body of the last search that succeeded, for whoever adds paging.
    QString lastQuery;
    // From the last search that succeeded.
    qint16 pagesTotal = 0;
    qint16 pagesNow = 0;
    qint16 moviesTotal = 0;

    void ResetSearchForm();
    void ShowPageInfo();
    // Downloads the selected movie's story (images and script) into the
    // folder, with the progress window; the run ends with a message.
    void StartDownloadMovieSaveToPath(const QString& file_path);
    QString GetMovieIDFromStr(const QString& sThis) const;
    QString GetFileNameFromURLStr(const QString& nUrl) const;
    // One image into a file; only a complete reply is written.
    online::Download DownNetFile(const QString& nUrl, const QString& nFile) const;

    // The download folder picker (ServerDownSaveWnd), made at its first use.
    FolderPickerWnd* serverDownSaveWnd() const { return m_picker; }
    // Genre box N (1..34), SerMvTag_N.
    QCheckBox* SerMvTag(int n) const { return m_tags[n - 1]; }

    QGroupBox* Frame4;
    QLabel* LabelWelcomeMsg;
    QPushButton* BtnLogOut;
    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* SerMvName;
    QLabel* Label8;
    QLineEdit* SerMvId;
    QLabel* Label2;
    QComboBox* SerMvOnline;
    QLabel* Label3;
    QComboBox* SerMvPlat;
    QLabel* Label4;
    QComboBox* SerMvJian;
    QLabel* Label5;
    QComboBox* SerMvHot;
    QLabel* Label6;
    QComboBox* SerMvH18;
    QLabel* Label7;
    QComboBox* SerMvZone;
    QGroupBox* Frame3;
    QLabel* Label9;
    QComboBox* SerMvQueryType;
    QComboBox* SerMvQueryOrder;
    QPushButton* BtnSerBack;
    QPushButton* BtnSerStart;
    QGroupBox* Frame2;
    QListWidget* ListMovies;
    QPushButton* BtnPerPage;
    QPushButton* BtnNextPage;
    QLabel* LabelPageMsg;
    QPushButton* BtnStartDownload;

signals:
    // A page of a story download is about to be fetched (from 1 of total),
    // the progress window already showing it.
    void downloadingPage(int position, int total);

public slots:
    void BtnSerBack_Click();
    void BtnSerStart_Click();
    void BtnStartDownload_Click();
    void BtnLogOut_Click();

protected:
    void Form_Load() override;
    bool Form_Unload() override;
    QSize sizeHint() const override;

private:
    // The download into a folder; false when the folder was refused before
    // anything was asked or written (the picker stays open then).
    bool downloadTo(const QString& folder);
    // The service says the login is over: back to the login window.
    void endLogin();
    // The download after the story request succeeded.
    void downloadStory(const QString& folder, const JsonValue& root);

    PicMovieWnd* m_wnd;
    QList<QCheckBox*> m_tags;
    FolderPickerWnd* m_picker = nullptr;
};

} // namespace kinoleaf
