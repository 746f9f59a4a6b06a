// The main window's page operations: insert, delete, replace, move. Each
// asks the row logic what to do, applies it through the row operations and
// records it for undo.

#include "editor/IntroTextBox.h"
#include "editor/MovieHistory.h"
#include "editor/undo_commands.h"
#include "editor/PicMovieWnd.h"
#include "model/page_row.h"
#include "pages/ExImgWnd.h"
#include "pages/batch_delete.h"
#include "pages/deleted_images.h"
#include "pages/page_rows.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

namespace kinoleaf {

namespace {

// Applies an edit and records it for undo; false when there was none, or
// the folder took no journal for it.
bool apply(PicMovieWnd& wnd, const pages::RowEdit& edit) {
    const int before = wnd.selectedRow();
    QUndoCommand* command = nullptr;
    {
        const MovieHistory::Hold applying = wnd.history()->hold();
        switch (edit.kind) {
        case pages::RowEdit::None:
            return false;
        case pages::RowEdit::Insert:
            wnd.insertRow(edit.row, edit.text);
            command = new InsertPageCommand(wnd, edit.row, edit.text, before);
            break;
        case pages::RowEdit::Remove: {
            const QString text = wnd.rowText(edit.row);
            const std::optional<QString> movedTo = removePageMovingImage(wnd, edit.row, edit.deleteImage);
            if (!movedTo) return false;
            command = new DeletePageCommand(wnd, edit.row, text, edit.deleteImage, *movedTo, before, edit.select);
            break;
        }
        case pages::RowEdit::Swap: {
            const QString upper = wnd.rowText(edit.row);
            wnd.setRowText(edit.row, wnd.rowText(edit.row + 1));
            wnd.setRowText(edit.row + 1, upper);
            command = new SwapPagesCommand(wnd, edit.row, before, edit.select, edit.select < before);
            break;
        }
        }
        wnd.setSelectedRow(edit.select);
    }
    wnd.history()->record(command);
    return true;
}

} // namespace

void PicMovieWnd::BtnInsertPage_Click() {
    if (apply(*this, pages::insertAfter(rows(), selectedRow()))) MarkUnsaved();
}

void PicMovieWnd::BtnDelPage_Click() {
    if (apply(*this, pages::deletePage(rows(), selectedRow()))) MarkUnsaved();
}

void PicMovieWnd::BtnUpImg_Click() {
    if (apply(*this, pages::moveUp(selectedRow(), rowCount()))) MarkUnsaved();
    else dialogs().message(QStringLiteral("压根儿木有上一行啊 -_-!!"));
}

void PicMovieWnd::BtnDownImg_Click() {
    // With rows but none selected there is no page to move and nothing to say.
    if (selectedRow() < 0 && rowCount() > 0) return;
    if (apply(*this, pages::moveDown(selectedRow(), rowCount()))) MarkUnsaved();
    else dialogs().message(QStringLiteral("压根儿木有下一行啊 -_-!!"));
}

void PicMovieWnd::BtnChangePage_Click() {
    // No page to give another image.
    if (selectedRow() < 0) return;
    ExImgWnd* picker = exImgWnd();
    picker->imagePath = rootFilePath;
    picker->showCentred(true);
}

bool PicMovieWnd::DeleteOneImage(const QString& name, QString* why) {
    return pages::moveToDeletedImages(rootFilePath, name, why);
}

void PicMovieWnd::ExNowImageWithImageNamed(const QString& name) {
    const int row = selectedRow();
    if (row < 0) return;
    const QString before = rowText(row);
    const MovieHistory::Hold applying = m_history->hold();
    m_pendingPage.reset();  // the page stays, with its new image, whatever its old one does
    setRowText(row, makeRow(name, TxtMovieIntro->text()));
    if (rowText(row) != before) m_history->record(new ReplaceImageCommand(*this, row, before, rowText(row)));
    // Later edits of the intro keep the new image in the row.
    m_currentImageName = name;
    const QString path = joinPath(rootFilePath, name);
    if (name.isEmpty() || !plainFileExists(path)) {
        PicMovieImg->cancelPending();  // the old picture is no longer this page's
        dialogs().message(QStringLiteral("图片文件未找到，加载失败 >_<"));
    } else if (PicMovieImg->showImage(path) == aicAlphaImage::ShowState::Failed) {
        reportUnshownPicture(path, PicMovieImg->lastError());
    } else {
        // A page whose old picture could not be shown can be written again.
        TxtMovieIntro->setEnabled(true);
    }
    MarkUnsaved();
}

bool PicMovieWnd::removePagesKeeping(const QString& operation, const QString& undoText, const QStringList& after,
                                     const std::function<void(int, int)>& perRow, pages::DeletionReport& report) {
    const QStringList before = rows();
    const int total = int(before.size());
    // Hashed lookups, names compared exactly; one entry a row, so an image
    // already missing still counts.
    const QList<int> going = pages::rowsWhoseImageGoes(before, after);
    QStringList names;
    for (int p : going) names.append(GetImageNameWithRowStr(before[p]));
    const pages::DeletionPlan plan = pages::planDeletion(rootFilePath, names);
    std::optional<journal::Operation> journaled = beginFileOperation({operation, before, after, plan.moves});
    if (!journaled) return false;
    pages::DeletionRun run(plan, *journaled, report);
    qsizetype next = 0;
    for (int p = 0; p < total; ++p) {
        perRow(p, total);
        if (next < going.size() && going[next] == p) {
            run.deleteImage(GetImageNameWithRowStr(before[p]));
            ++next;
        }
    }
    m_history->replaceRowsRecorded(undoText, after, plan.moves);
    journaled->complete();
    return true;
}

ExImgWnd* PicMovieWnd::exImgWnd() {
    if (!m_exImg) m_exImg = new ExImgWnd(this);
    return m_exImg;
}

} // namespace kinoleaf
