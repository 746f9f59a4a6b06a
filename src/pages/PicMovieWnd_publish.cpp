// The main window's validation and publishing.

#include "editor/LoadingWnd.h"
#include "editor/PicMovieWnd.h"
#include "pages/publish.h"
#include "platform/dialogs.h"

namespace kinoleaf {

void PicMovieWnd::BtnExportTj_Click() {
    if (dialogs().askYesNo(pages::kPublishQuestion) != Answer::Yes) return;
    ValidateAndPublish();
    // After a failure too: the rows then are the ones the run started from.
    SaveScript();
}

void PicMovieWnd::ValidateAndPublish() {
    m_loading->Prepare(QStringLiteral("验证中..."), QStringLiteral("0%"),
                       QStringLiteral("这可能会花费一些时间，请耐心等候..."));
    setEnabled(false);
    const pages::PublishResult result = pages::publish(
        rows(), rootFilePath, {[this](int done, int total) { m_loading->Advance(done, total); }, {}});
    if (!result.ok) {
        m_loading->close();
        setEnabled(true);
        dialogs().message(pages::failureMessage(result));
        if (result.failedRow < rowCount()) setSelectedRow(result.failedRow);
        return;
    }
    replaceRows(result.rows);
    // The images carry their new names now: should the save that follows
    // not happen, leaving the folder must still ask.
    MarkUnsaved();
    m_loading->Finish();
    setEnabled(true);
    dialogs().message(pages::successMessage(result.errorCount));
}

} // namespace kinoleaf
