#pragma once
// The editor's main window. Its page list is the only store of the pages:
// every row is one page row, and the rows in order are the script.

#include <QString>
#include <QWidget>

#include "model/operation_journal.h"
#include "pages/deleted_images.h"

#include <functional>
#include <optional>

class QFrame;
class QKeyEvent;
class QLabel;
class QShortcut;
class QPushButton;
class QSettings;

namespace kinoleaf {

class aicAlphaImage;
class DirListBox;
class DriveListBox;
class ExImgWnd;
class ImgSortWnd;
class ServerLoginWnd;
class ServerMovieListWnd;
class SmartCutWnd;
class WndDelPages;
class WndMovieCutVol;
class IntroTextBox;
class JournalKeeper;
class LoadingWnd;
class PageRowsView;
class MovieHistory;
class FindBar;
namespace find { struct Found; }
class OverviewWnd;

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
    // --- the rows: every change to the page list goes through these ---
    // Selects a row (−1 for none) and, for a row, shows that page, as a
    // click on it does.
    void setSelectedRow(int row);
    int selectedRow() const;
    QStringList rows() const;
    int rowCount() const;
    QString rowText(int row) const;
    // Replaces every row; shows no page and leaves no row selected.
    void replaceRows(const QStringList& rows);
    void appendRows(const QStringList& rows);
    void setRowText(int row, const QString& text);
    // Puts a row at a position (rowCount() appends); shows no page.
    void insertRow(int row, const QString& text);
    // Takes a row out; shows no page, whatever Qt does with the selection.
    void removeRow(int row);

    // --- operations that move files of the movie folder ---
    // Writes the plan to the operation journal (and the rows it leaves to
    // the rows journal) before anything moves; nullopt, after telling the
    // user why, when the folder takes no journal: then nothing changes.
    std::optional<journal::Operation> beginFileOperation(const journal::Plan& plan);
    // Leaves only the rows after: the images no remaining row shows go into
    // "delete_image" as one journaled operation and one undo step (undoText).
    // perRow(p, total) runs for each row of the list before, as it is
    // reached. False, after telling why, when the folder refused: nothing
    // changed. report gets what moved and what did not.
    bool removePagesKeeping(const QString& operation, const QString& undoText, const QStringList& after,
                            const std::function<void(int row, int total)>& perRow, pages::DeletionReport& report);

    // --- page operations other windows use ---
    // Moves an image of the loaded folder into its "delete_image" folder,
    // never replacing a file there. False when nothing moved; why (when
    // given) then says why.
    bool DeleteOneImage(const QString& name, QString* why = nullptr);
    // Makes the named image the selected page's image.
    void ExNowImageWithImageNamed(const QString& name);

    // The online windows, made at their first use and kept: the login state
    // (login_UserName) lives in the login window and outlives its closing.
    ServerLoginWnd* loginWnd();
    ServerMovieListWnd* movieListWnd();
    QString baseTitle() const { return m_baseTitle; }
    LoadingWnd* loadingWnd() const { return m_loading; }
    JournalKeeper* journalKeeper() const { return m_journal; }
    // Undo and redo of the page changes made in this window.
    MovieHistory* history() const { return m_history; }

    // --- the desktop: command line, drops, remembered state ---
    // Opens a movie folder as a pick in the folder list does (the unsaved
    // question, the journals' offers, legacy names). False when it was not
    // opened: the user was told why, or cancelled.
    bool openFolder(const QString& path);
    void restoreWindowGeometry(const QSettings& settings);
    // Opens the folder given, else the one the last run left if it still
    // exists; in the folder the last run left, at the page it showed.
    void openAtStart(const QSettings& settings, const QString& folder);
    void rememberState(QSettings& settings, bool withMovie) const;

    // --- controls, named as the tests and tools find them ---
    DriveListBox* DriveSelect;
    DirListBox* FilePathList;
    PageRowsView* ListMoviePics;
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
    // The thumbnail overview (F4), made at its first opening and kept.
    QPushButton* BtnOverview = nullptr;
    OverviewWnd* overviewWnd();


public slots:
    void ListMoviePics_Click();
    void TxtMovieIntro_Change();
    void BtnPrePage_Click();
    void BtnNextPage_Click();
    void BtnSave_Click();
    void DriveSelect_Change();
    void FilePathList_Change();
    void BtnInsertPage_Click();
    void BtnDelPage_Click();
    void BtnChangePage_Click();
    void BtnUpImg_Click();
    void BtnDownImg_Click();
    void BtnDelMorePages_Click();
    void BtnImgSort_Click();
    void BtnExportTj_Click();
    void BtnImgCut_Click();
    void BtnMovieCut_Click();
    void BtnLinkServer_Click();
    void BtnOverview_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    // True when the window may close (the unsaved question allows it).
    bool Form_Unload();
    // Shift with Left or Right steps through the pages. True when the page
    // changed.
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift, QWidget* focused);
    void ReadCurrentRow();
    int LoadImageList(const QString& folder);
    int AddNewImages(const QString& folder);
    // Appends image rows, counting them on the progress bar; when there
    // were any, tells how many and shows the first page. Returns the count.
    int appendFoundImages(QStringList names, const QString& logMessage);
    // The folder's ordinary files, from the folder list's own listing when
    // it shows that folder.
    QStringList filesOf(const QString& folder) const;
    // Yes saves (false when that save failed), No goes on, Cancel stops.
    enum class Guard { Proceed, Stop };
    Guard askToSaveBeforeLeaving();
    void buildControls();
    // Folder drops, accessible names and the Tab order.
    void prepareForDesktop();
    void buildOverviewControls();
    bool overviewKey(const QKeyEvent* key);  // F4
    void placeControls();
    void prefetchNeighbours(int row);
    QString imagePathOfRow(int row) const;
    void showPagePosition();
    // A picture that can't be shown: the box says so and the intro box
    // is disabled, however late the decode found out.
    void reportUnshownPicture(const QString& path, const QString& reason);
    void notePictureShown(const QString& path);
    void onPictureFailed(const QString& path, const QString& reason);
    // True when the page list is published and saved; false when the run
    // failed (the rows are those it started from) or its save did not
    // happen (its renames taken back).
    enum class Published { Yes, CheckFailed, NotSaved, Refused };
    Published ValidateAndPublish();
    // The save without its boxes: false when nothing was written, why then
    // the message to show ("" when the user declined).
    bool writeScript(QString* why);
    void markSaved();
    // The journals: what a killed editor left is offered back at the next
    // opening of the folder.
    void keepJournal();
    void offerJournalRows();
    // An operation a kill left half done is finished or rolled back, as the
    // user chooses, before the folder is read.
    void recoverUnfinishedOperation(const QString& folder);
    // The rows journal holds the rows as they stand (none when saved).
    void keepJournalOfRows();
    // The tool windows, made at their first opening and kept.
    ExImgWnd* exImgWnd();
    WndDelPages* wndDelPages();
    ImgSortWnd* imgSortWnd();
    SmartCutWnd* smartCutWnd();
    WndMovieCutVol* movieCutWnd();
    // Find, replace and the page jumps (PicMovieWnd_find.cpp). A key of
    // theirs: what the key filter returns; nullopt for other keys.
    std::optional<bool> handleFindKey(QKeyEvent* key, QWidget* focused);
    FindBar* findBar();
    void openFindBar(bool replacing);
    void closeFindBar();
    void findFromCurrentPage();
    void findStep(bool forward);
    // Goes to the match found; says so when there was none.
    void showFindMatch(const find::Found& found, bool forward);
    void replaceCurrentMatch();
    void replaceAllMatches();
    void goToPageWithoutIntro();
    void askPageToGoTo();

    QString m_baseTitle;
    QString m_currentImageName;
    QString m_currentIntro;
    QString m_folderShown;    // the folder list's path before the user's pick
    bool m_folderChangeCancelled = false;
    // A page whose picture is still decoding, as it was before it was shown.
    struct PageBefore {
        int row;
        QString rowText;
        QString introText;
        bool edited;
        QString introShown;  // what showing the page put into the intro box
    };
    std::optional<PageBefore> m_pendingPage;
    LoadingWnd* m_loading;
    JournalKeeper* m_journal = nullptr;
    MovieHistory* m_history = nullptr;
    ExImgWnd* m_exImg = nullptr;
    WndDelPages* m_delPages = nullptr;
    ImgSortWnd* m_imgSort = nullptr;
    SmartCutWnd* m_smartCut = nullptr;
    WndMovieCutVol* m_movieCut = nullptr;
    ServerLoginWnd* m_login = nullptr;
    ServerMovieListWnd* m_movieList = nullptr;
    FindBar* m_findBar = nullptr;
    OverviewWnd* m_overview = nullptr;
};

} // namespace kinoleaf
