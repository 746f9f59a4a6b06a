// The main window's validation and publishing.

#include "editor/LoadingWnd.h"
#include "editor/PicMovieWnd.h"
#include "pages/publish.h"
#include "platform/dialogs.h"

namespace kinoleaf {

void PicMovieWnd::BtnExportTj_Click() {
    if (dialogs().askYesNo(pages::kPublishQuestion) != Answer::Yes) return;
    // After a failed run the rows are the ones it started from, and they
    // are saved as they stand. A published movie was saved by the run,
    // before it told of its success.
    if (ValidateAndPublish() == Published::CheckFailed) SaveScript();
}

PicMovieWnd::Published PicMovieWnd::ValidateAndPublish() {
    m_loading->Prepare(QStringLiteral("验证中..."), QStringLiteral("0%"),
                       QStringLiteral("这可能会花费一些时间，请耐心等候..."));
    setEnabled(false);
    const pages::PublishResult result = pages::publish(
        rows(), rootFilePath, {[this](int done, int total) { m_loading->Advance(done, total); }, {}});
    if (!result.ok) {
        m_loading->close();
        setEnabled(true);
        dialogs().message(pages::failureMessage(result),
                          result.refusedWhy.isEmpty() ? MsgIcon::None : MsgIcon::Critical);
        if (result.failedRow < rowCount()) setSelectedRow(result.failedRow);
        return Published::CheckFailed;
    }
    const QStringList before = rows();
    const bool wasEdited = editedThisMovie;
    const int wasSelected = selectedRow();
    replaceRows(result.rows);
    // The images carry their new names now: should the save that follows
    // not happen, leaving the folder must still ask.
    MarkUnsaved();
    m_loading->Finish();
    setEnabled(true);
    QString why;
    if (writeScript(&why)) {
        dialogs().message(pages::successMessage(result.errorCount));
        return Published::Yes;
    }
    // A script that still names the old images over renamed files would
    // part every intro from its picture: the renames go back instead.
    const QList<pages::Rename> notUndone = pages::undoRenames(result.renamed, rootFilePath);
    // Images that kept their new names are named so by their rows, which
    // then stay unsaved for the user to save once the disk allows.
    replaceRows(pages::rowsAfterRenames(before, notUndone));
    if (!wasEdited && notUndone.isEmpty()) markSaved();
    if (wasSelected >= 0 && wasSelected < rowCount()) setSelectedRow(wasSelected);
    dialogs().message(pages::saveFailureMessage(why, notUndone), MsgIcon::Critical);
    return Published::NotSaved;
}

} // namespace kinoleaf
