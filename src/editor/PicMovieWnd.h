#pragma once
// The editor's main window. Its page list is the only store of the pages:
// every row is one page row, and the rows in order are the script.

#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace kinoleaf {

class aicAlphaImage;
class DirListBox;
class DriveListBox;
class IntroTextBox;
class LoadingWnd;

class PicMovieWnd : public QWidget {
    Q_OBJECT
public:
    explicit PicMovieWnd(QWidget* parent = nullptr);
    ~PicMovieWnd() override;

    // --- the movie being edited, read and written by the tool windows ---
    QString rootFilePath;          // the loaded folder; "" before any load
    bool editedThisMovie = false;  // rows differ from what was loaded or saved

    static QString GetImageNameWithRowStr(const QString& rowStr);
    static QString GetImageIntroWithRowStr(const QString& rowStr);
    void MarkUnsaved();
    void ShowLogMessage(const QString& text);
    // Writes the rows to the folder's script and clears the unsaved state;
    // false (after telling the user why) when nothing was written.
    bool SaveScript();
    // Selects a row (−1 for none) and, for a row, shows that page, as a
    // click on it does.
    void setSelectedRow(int row);
    int selectedRow() const;
    QStringList rows() const;
    QString baseTitle() const { return m_baseTitle; }
    LoadingWnd* loadingWnd() const { return m_loading; }

    // --- controls, named as the tests and tools find them ---
    DriveListBox* DriveSelect;
    DirListBox* FilePathList;
    QListWidget* ListMoviePics;
    aicAlphaImage* PicMovieImg;
    IntroTextBox* TxtMovieIntro;
    QLabel* LabelLogMsg;
    QPushButton* BtnPrePage;
    QPushButton* BtnNextPage;
    QPushButton* BtnSave;
    QPushButton* BtnInsertPage;
    QPushButton* BtnDelPage;
    QPushButton* BtnChangePage;
    QPushButton* BtnUpImg;
    QPushButton* BtnDownImg;
    QPushButton* BtnDelMorePages;
    QPushButton* BtnImgSort;
    QPushButton* BtnImgCut;
    QPushButton* BtnMovieCut;
    QPushButton* BtnExportTj;
    QPushButton* BtnLinkServer;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QFrame* Line1;
    QFrame* Line2;
    QFrame* Line3;
    QFrame* Shape1;

    // --- the intro box's text as the handlers see it ---
    QString introText() const { return m_introText; }
    // Sets the intro box's text; the change handling runs when it changes.
    void setIntroText(const QString& text);
    // The same, then puts the caret at a position (an edit's own caret).
    void setIntroText(const QString& text, int caret);

public slots:
    void ListMoviePics_Click();
    void TxtMovieIntro_Change();
    void BtnPrePage_Click();
    void BtnNextPage_Click();
    void BtnSave_Click();
    void DriveSelect_Change();
    void FilePathList_Change();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    // True when the window may close (the unsaved question allows it).
    bool Form_Unload();
    // Shift with Left or Right steps through the pages; the key goes on to
    // the focused control either way.
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift, QWidget* focused);
    void ReadCurrentRow();
    int LoadImageList(const QString& folder);
    int AddNewImages(const QString& folder);
    // Appends image rows, counting them on the progress bar; when there
    // were any, tells how many and shows the first page. Returns the count.
    int appendFoundImages(const QStringList& names, const QString& logMessage);
    // Yes saves (false when that save failed), No goes on, Cancel stops.
    enum class Guard { Proceed, Stop };
    Guard askToSaveBeforeLeaving();
    void buildControls();
    void placeControls(int dx, int dy);
    void appendRows(const QStringList& rows);
    void removeAllRows();
    void onIntroEdited();
    void prefetchNeighbours(int row);
    QString imagePathOfRow(int row) const;

    QString m_baseTitle;
    QString m_introText;
    int m_introCaret = 0;  // where the caret belongs in m_introText
    QString m_currentImageName;
    QString m_currentIntro;
    QString m_folderShown;    // the folder list's path before the user's pick
    bool m_folderChangeCancelled = false;
    bool m_rowsChanging = false;
    LoadingWnd* m_loading;
};

} // namespace kinoleaf
