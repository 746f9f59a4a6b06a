// The main window's validation and publishing.

#include "editor/LoadingWnd.h"
#include "editor/MovieHistory.h"
#include "editor/batch_commands.h"
#include "editor/PicMovieWnd.h"
#include "pages/publish.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

namespace kinoleaf {

void PicMovieWnd::BtnExportTj_Click() {
    if (dialogs().askYesNo(pages::kPublishQuestion) != Answer::Yes) return;
    // After a failed run the rows are the ones it started from, and they
    // are saved as they stand. A published movie was saved by the run,
    // before it told of its success.
    if (ValidateAndPublish() == Published::CheckFailed) SaveScript();
}

PicMovieWnd::Published PicMovieWnd::ValidateAndPublish() {
    const QStringList before = rows();
    // Every rename is known before the first is made, so the journal holds
    // the whole plan and a kill at any point can be finished or undone.
    pages::PublishResult result = pages::planPublish(before, rootFilePath);
    if (!result.ok) {
        dialogs().message(pages::failureMessage(result));
        if (result.failedRow < rowCount()) setSelectedRow(result.failedRow);
        return Published::CheckFailed;
    }
    journal::Plan plan{QStringLiteral("发布"), before, result.rows, {}};
    for (const pages::Rename& r : result.renamed) plan.moves.append({r.from, r.to});
    std::optional<journal::Operation> operation = beginFileOperation(plan);
    if (!operation) return Published::Refused;

    m_loading->Prepare(QStringLiteral("验证中..."), QStringLiteral("0%"),
                       QStringLiteral("这可能会花费一些时间，请耐心等候..."));
    setEnabled(false);
    const int count = rowCount();
    for (qsizetype i = 0; i < plan.moves.size(); ++i) {
        m_loading->Advance(result.renamedRows[i], count);
        QString why;
        if (operation->move(int(i), &why)) continue;
        // Refused part-way: the renames made so far go back, newest first.
        pages::PublishResult failed;
        failed.failedRow = result.renamedRows[i];
        failed.refused = result.renamed[i];
        failed.refusedWhy = why;
        failed.notUndone = pages::undoRenames(result.renamed.mid(0, i), rootFilePath);
        if (!failed.notUndone.isEmpty()) {
            // Each intro stays with its picture, under whichever name.
            replaceRows(pages::rowsAfterRenames(before, failed.notUndone));
            MarkUnsaved();
        }
        keepJournalOfRows();
        operation->complete();
        m_loading->close();
        setEnabled(true);
        dialogs().message(pages::failureMessage(failed), MsgIcon::Critical);
        if (failed.failedRow < rowCount()) setSelectedRow(failed.failedRow);
        return Published::CheckFailed;
    }
    const bool wasEdited = editedThisMovie;
    const int wasSelected = selectedRow();
    {
        const MovieHistory::Hold applying = m_history->hold();
        replaceRows(result.rows);
    }
    // Recorded before the save, which makes these rows the saved ones. A
    // save that fails takes the renames back: the history goes with them.
    m_history->record(new PublishCommand(*this, before, result.rows, plan.moves));
    // The images carry their new names now: should the save that follows
    // not happen, leaving the folder must still ask.
    MarkUnsaved();
    m_loading->Finish();
    setEnabled(true);
    QString why;
    if (writeScript(&why)) {
        operation->complete();
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
    else MarkUnsaved();
    keepJournalOfRows();
    operation->complete();
    if (wasSelected >= 0 && wasSelected < rowCount()) setSelectedRow(wasSelected);
    dialogs().message(pages::saveFailureMessage(why, notUndone), MsgIcon::Critical);
    return Published::NotSaved;
}

} // namespace kinoleaf
