// The main window's drives and folders: opening a movie folder, its script
// and the images it does not name yet.

#include "editor/PicMovieWnd.h"

#include "editor/IntroTextBox.h"
#include "editor/LoadingWnd.h"
#include "editor/MovieHistory.h"
#include "editor/PageRowsView.h"
#include "editor/journal_keeper.h"
#include "editor/legacy_name_repair.h"
#include "editor/progress_math.h"
#include "model/page_row.h"
#include "model/script_file.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "platform/file_helpers.h"

#include <QDir>

#include <utility>

namespace kinoleaf {

// ---------------------------------------------------------------- drives and folders

void PicMovieWnd::DriveSelect_Change() {
    const QString picked = DriveSelect->drive();
    if (editedThisMovie && askToSaveBeforeLeaving() == Guard::Stop) {
        // With no folder loaded the folder list still shows where we were.
        DriveSelect->setDrive(rootFilePath.isEmpty() ? FilePathList->path() : rootFilePath);
        return;
    }
    const bool moved = FilePathList->setPath(FilePathList->currentFolderOn(picked));
    // The drive list follows the folder list; when they disagree the drive
    // could not be read. A cancelled folder question is no device fault.
    DriveSelect->setDrive(FilePathList->path());
    if (!m_folderChangeCancelled && (!moved || DriveSelect->drive() != picked))
        dialogs().message(QStringLiteral("O_O 设备无法读取咧"));
}

void PicMovieWnd::FilePathList_Change() {
    m_folderChangeCancelled = false;
    const QString path = FilePathList->path();
    const QString goBackTo = rootFilePath.isEmpty() ? m_folderShown : rootFilePath;
    if (path != rootFilePath && editedThisMovie && askToSaveBeforeLeaving() == Guard::Stop) {
        m_folderChangeCancelled = true;
        FilePathList->setPath(goBackTo, false);
        return;
    }
    // Names made on Chinese Windows can't be read here: repaired first, the
    // load sees the images and the folders under their proper names.
    if (offerLegacyRename(path, FilePathList->listing().legacy) > 0) FilePathList->refresh();
    // An operation a kill cut short is settled before the folder is read.
    if (plainFileExists(joinPath(path, journal::kPlanFile))) {
        recoverUnfinishedOperation(path);
        FilePathList->refresh();
    }

    const QString scriptPath = joinPath(path, script::kFileName);
    const bool hasScript = plainFileExists(scriptPath);
    script::ReadResult loaded;
    if (hasScript) {
        // Read before anything changes: a script we cannot read must not
        // turn into an image-only list that a save would write over it.
        loaded = script::read(scriptPath);
        if (!loaded.ok) {
            dialogs().message(QStringLiteral("O_O 脚本文件无法读取咧\n[%1]\n%2")
                                  .arg(QDir::toNativeSeparators(scriptPath), loaded.error),
                              MsgIcon::Exclamation);
            m_folderChangeCancelled = true;
            FilePathList->setPath(goBackTo, false);
            return;
        }
    }

    rootFilePath = path;
    m_folderShown = path;
    // A picture of the folder left behind must not come in over this one.
    PicMovieImg->cancelPending();
    m_pendingPage.reset();
    if (hasScript) {
        replaceRows({});
        m_loading->Prepare(QStringLiteral("载入中..."), QStringLiteral("0%"),
                           QStringLiteral("找到脚本文件，载入中..."));
        // The list keeps the only reference: appending the new images
        // below then copies none of the script's rows.
        appendRows(std::exchange(loaded.rows, {}));
        m_loading->setMessage(QStringLiteral("脚本文件读取完毕，检查图片..."));
        m_loading->setGreenWidth(0);
        AddNewImages(rootFilePath);
        if (rowCount() > 0) setSelectedRow(0);
        ShowLogMessage(QStringLiteral(">o< 找到解说脚本[") + QDir::toNativeSeparators(scriptPath) +
                       QStringLiteral("]，载入脚本成功！"));
    } else {
        replaceRows({});
        m_loading->Prepare(QStringLiteral("载入中..."), QStringLiteral("0%"),
                           QStringLiteral("没有找到脚本文件，载入图片中..."));
        LoadImageList(rootFilePath);
    }
    editedThisMovie = false;
    setWindowTitle(m_baseTitle);
    m_journal->setMovie(rootFilePath);
    m_history->reset();  // before the rows a killed editor left come back: those are unsaved
    offerJournalRows();
    // Ready to type and to page with Shift+arrows at once.
    if (rowCount() > 0) TxtMovieIntro->setFocus();
}

int PicMovieWnd::LoadImageList(const QString& folder) {
    replaceRows({});
    m_currentImageName = QStringLiteral("nil");
    m_currentIntro = QStringLiteral("nil");
    QStringList names = filesOf(folder);
    names.removeIf([](const QString& name) { return !isImageFileName(name); });
    return appendFoundImages(std::move(names), QStringLiteral(">o< 载入图片列表成功，共计[%1]张图片"));
}

int PicMovieWnd::AddNewImages(const QString& folder) {
    m_currentIntro = QStringLiteral("nil");
    return appendFoundImages(script::imagesNotInRows(ListMoviePics->rows(), filesOf(folder)),
                             QStringLiteral(">o< 发现新图片，共计[%1]张图片"));
}

QStringList PicMovieWnd::filesOf(const QString& folder) const {
    // The folder list has just listed the folder it shows: no second listing.
    if (folder == FilePathList->path() && FilePathList->listing().ok) return FilePathList->listing().files;
    return listFiles(folder);
}

int PicMovieWnd::appendFoundImages(QStringList names, const QString& logMessage) {
    const int count = static_cast<int>(names.size());
    // Counted through as before, but only what a repaint would show is set:
    // a label and bar update for each of a hundred thousand images costs
    // tens of milliseconds and shows nothing.
    for (int done = 1; done <= count; ++done)
        if (done == count || m_loading->repaintDue()) m_loading->Advance(done, progress::kLoadTotal);
    ListMoviePics->appendRows(std::move(names));
    m_loading->Finish();
    if (count > 0) {
        ShowLogMessage(logMessage.arg(count));
        if (rowCount() > 0) setSelectedRow(0);
    }
    m_loading->close();
    return count;
}

} // namespace kinoleaf
