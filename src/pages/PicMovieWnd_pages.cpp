// The main window's page operations: insert, delete, replace, move. Each
// asks the row logic what to do and applies it through the row operations.

#include "editor/IntroTextBox.h"
#include "editor/PicMovieWnd.h"
#include "model/page_row.h"
#include "pages/ExImgWnd.h"
#include "pages/deleted_images.h"
#include "pages/page_rows.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

namespace kinoleaf {

namespace {

// Applies an edit; false when there was none.
bool apply(PicMovieWnd& wnd, const pages::RowEdit& edit) {
    switch (edit.kind) {
    case pages::RowEdit::None:
        return false;
    case pages::RowEdit::Insert:
        wnd.insertRow(edit.row, edit.text);
        break;
    case pages::RowEdit::Remove: {
        const pages::DeletionPlan plan =
            pages::planDeletion(wnd.rootFilePath, edit.deleteImage.isEmpty() ? QStringList() : QStringList{edit.deleteImage});
        if (plan.moves.isEmpty()) {
            wnd.removeRow(edit.row);  // no file moves: nothing to journal
            break;
        }
        QStringList after = wnd.rows();
        after.removeAt(edit.row);
        std::optional<journal::Operation> operation =
            wnd.beginFileOperation({QStringLiteral("删除此页"), wnd.rows(), after, plan.moves});
        if (!operation) return false;
        QString why;
        if (!operation->move(0, &why)) {
            // The page goes all the same; the user learns the image stayed.
            dialogs().message(QStringLiteral("图片 %1 没能移到 %2 文件夹，还在原处：%3")
                                  .arg(edit.deleteImage, pages::kDeletedImagesFolder, why),
                              MsgIcon::Exclamation);
        }
        wnd.removeRow(edit.row);
        operation->complete();
        break;
    }
    case pages::RowEdit::Swap: {
        const QString upper = wnd.rowText(edit.row);
        wnd.setRowText(edit.row, wnd.rowText(edit.row + 1));
        wnd.setRowText(edit.row + 1, upper);
        break;
    }
    }
    wnd.setSelectedRow(edit.select);
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
    m_pendingPage.reset();  // the page stays, with its new image, whatever its old one does
    setRowText(row, makeRow(name, TxtMovieIntro->text()));
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

ExImgWnd* PicMovieWnd::exImgWnd() {
    if (!m_exImg) m_exImg = new ExImgWnd(this);
    return m_exImg;
}

} // namespace kinoleaf
