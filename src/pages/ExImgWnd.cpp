#include "pages/ExImgWnd.h"

#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "model/page_row.h"
#include "platform/aic_alpha_image.h"
#include "platform/file_helpers.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>

namespace kinoleaf {

ExImgWnd::ExImgWnd(PicMovieWnd* owner) : ToolWnd(owner, true), m_wnd(owner) {
    setObjectName(QStringLiteral("ExImgWnd"));
    setWindowTitle(QStringLiteral("选择替换图片"));
    setFixedSize(680, 400);

    ExImgList = new PageListBox(this);
    ExImgList->setObjectName(QStringLiteral("ExImgList"));
    ExImgList->setGeometry(12, 12, 220, 376);
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(243, 11, 426, 322);
    ExImgView = new aicAlphaImage(this);
    ExImgView->setObjectName(QStringLiteral("ExImgView"));
    ExImgView->setGeometry(244, 12, 424, 320);
    ExBtnOk = new QPushButton(QStringLiteral("确 定"), this);
    ExBtnOk->setObjectName(QStringLiteral("ExBtnOk"));
    ExBtnOk->setGeometry(448, 348, 104, 40);
    ExBtnOk->setDefault(true);
    ExBtnCancle = new QPushButton(QStringLiteral("取 消"), this);
    ExBtnCancle->setObjectName(QStringLiteral("ExBtnCancle"));
    ExBtnCancle->setGeometry(564, 348, 104, 40);

    connect(ExImgList, &PageListBox::Click, this, &ExImgWnd::ExImgList_Click);
    connect(ExBtnOk, &QPushButton::clicked, this, &ExImgWnd::ExBtnOk_Click);
    // A double-click on an image chooses it.
    connect(ExImgList, &QListWidget::itemDoubleClicked, this, &ExImgWnd::ExBtnOk_Click);
    connect(ExBtnCancle, &QPushButton::clicked, this, &ExImgWnd::ExBtnCancle_Click);
}

void ExImgWnd::Form_Load() {
    ListFolderImages(imagePath);
    ExImgList->setFocus();
}

void ExImgWnd::ListFolderImages(const QString& folder) {
    ExImgList->clear();
    QStringList names = listFiles(folder);
    names.removeIf([](const QString& name) { return !isImageFileName(name); });
    ExImgList->addItems(names);
    if (ExImgList->count() > 0) ExImgList->selectRow(0);
    else showToolPicture(ExImgView, {});  // nothing of an earlier folder stays on view
}

void ExImgWnd::ExImgList_Click() {
    const QListWidgetItem* item = ExImgList->currentItem();
    if (!item) return;
    // A picture that can't be shown says why; choosing it is still allowed,
    // and the main window tells about it too.
    showToolPicture(ExImgView, joinPath(imagePath, item->text()));
}

void ExImgWnd::ExBtnOk_Click() {
    const QListWidgetItem* item = ExImgList->currentItem();
    m_wnd->ExNowImageWithImageNamed(item ? item->text() : QString());
    close();  // enables the main window
}

void ExImgWnd::ExBtnCancle_Click() { close(); }

void ExImgWnd::keyPressEvent(QKeyEvent* event) {
    // The list passes Enter on; from the buttons it means nothing here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && ExImgList->hasFocus() && ExImgList->currentItem()) {
        ExBtnOk_Click();
        return;
    }
    ToolWnd::keyPressEvent(event);
}

} // namespace kinoleaf
