#include "pages/WndDelPages.h"

#include "editor/LoadingWnd.h"
#include "editor/MovieHistory.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "pages/batch_delete.h"
#include "pages/deleted_images.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace kinoleaf {

WndDelPages::WndDelPages(PicMovieWnd* owner) : ToolWnd(owner, true), m_wnd(owner) {
    setObjectName(QStringLiteral("WndDelPages"));
    setWindowTitle(QStringLiteral("批量删除"));

    ListSrc = new PageListBox(this);
    ListSrc->setObjectName(QStringLiteral("ListSrc"));
    ListSrc->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListSrc->setMinimumWidth(220);
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    ImgShow = new aicAlphaImage(Shape1);
    ImgShow->setObjectName(QStringLiteral("ImgShow"));
    ImgShow->setMinimumSize(240, 180);
    IntroShow = makeIntroPreview(Shape1, "IntroShow", QStringLiteral("Text1"));
    BtnDelSel = makeButton(this, "BtnDelSel", QStringLiteral("删除(D)"));
    BtnOk = makeButton(this, "BtnOk", QStringLiteral("应 用"));
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("取 消"));

    auto* preview = new QVBoxLayout(Shape1);
    preview->addWidget(ImgShow, 1);
    preview->addWidget(IntroShow);
    auto* top = new QHBoxLayout;
    top->addWidget(ListSrc, 2);
    top->addWidget(Shape1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnDelSel);
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(buttons);

    connect(ListSrc, &PageListBox::Click, this, &WndDelPages::ListSrc_Click);
    connect(BtnDelSel, &QPushButton::clicked, this, &WndDelPages::BtnDelSel_Click);
    connect(BtnOk, &QPushButton::clicked, this, &WndDelPages::BtnOk_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &WndDelPages::BtnCancel_Click);
    // The window sees keys before its controls: D works in the list, whose
    // own letter search would otherwise take it.
    qApp->installEventFilter(this);
}

WndDelPages::~WndDelPages() { qApp->removeEventFilter(this); }

QSize WndDelPages::sizeHint() const { return {880, 600}; }

void WndDelPages::LoadRows(const QStringList& rows) {
    ListSrc->clear();
    ListSrc->addItems(rows);
    if (ListSrc->count() > 0) ListSrc->selectRow(0);
    else clearRowPreview(ImgShow, IntroShow);
}

QStringList WndDelPages::rows() const { return ListSrc->rows(); }

void WndDelPages::Form_Load() {
    listChanged = false;
    ListSrc->setFocus();
}

void WndDelPages::ListSrc_Click() { showRowPreview(ListSrc, ImgShow, IntroShow, m_wnd->rootFilePath); }

bool WndDelPages::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    // A key travels on to the parents of a control that ignores it: look
    // at it once, at its first delivery, and only in this window.
    QWidget* focused = QApplication::focusWidget();
    if (w->window() != this || w != (focused ? focused : this)) return false;
    return Form_KeyDown(static_cast<QKeyEvent*>(event)->key());
}

bool WndDelPages::Form_KeyDown(int keyCode) {
    // Shift, Ctrl and Alt don't matter. With nothing selected D does
    // nothing, and it still goes no further: the list would jump to a row
    // starting with "d" and select it.
    if (keyCode != Qt::Key_D) return false;
    if (ListSrc->selectionModel()->hasSelection()) RemoveSelectedRows();
    return true;
}

void WndDelPages::BtnDelSel_Click() { RemoveSelectedRows(); }

void WndDelPages::RemoveSelectedRows() {
    QList<int> selected;
    for (const QModelIndex& index : ListSrc->selectionModel()->selectedIndexes()) selected.append(index.row());
    ListSrc->refill(pages::rowsWithout(rows(), selected));
    listChanged = true;
}

bool WndDelPages::ApplyDeletion() {
    setEnabled(false);
    LoadingWnd* loading = m_wnd->loadingWnd();
    const QStringList remaining = rows();
    loading->Prepare(QStringLiteral("删除中..."), QStringLiteral("0%"),
                     QStringLiteral("保存删除结果中，总计：%1张").arg(remaining.size()));
    const int total = m_wnd->rowCount();
    pages::DeletionReport report;
    const auto progress = [&](int p, int count) {
        loading->Advance(p, count);
        emit rowExamined(p);
    };
    if (!m_wnd->removePagesKeeping(QStringLiteral("批量删除"),
                                   QStringLiteral("批量删除 %1 页").arg(total - remaining.size()), remaining, progress,
                                   report)) {
        // Nothing changed; the window stays as the user left it.
        loading->close();
        setEnabled(true);
        return false;
    }
    m_wnd->editedThisMovie = true;  // the title stays as it is
    loading->Finish();
    dialogs().message(report.message(), report.notMoved().isEmpty() ? MsgIcon::None : MsgIcon::Exclamation);
    listChanged = false;
    // Opened again later, the window must take input again.
    setEnabled(true);
    return true;
}

void WndDelPages::BtnOk_Click() {
    if (ApplyDeletion()) close();  // nothing left to ask: enables the main window
}

void WndDelPages::BtnCancel_Click() { close(); }

bool WndDelPages::Form_Unload() {
    return !listChanged || askToApply(QStringLiteral("是否保存更改？"), [this] { ApplyDeletion(); });
}

} // namespace kinoleaf
