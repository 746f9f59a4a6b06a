#include "pages/ImgSortWnd.h"

#include "editor/MovieHistory.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "pages/group_move.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

namespace kinoleaf {
namespace {

const QString kInstructions =
    QStringLiteral("操作说明：") + QString(64, u' ') +
    QStringLiteral("（1）首先从左侧选择需要修改顺序的图片，支持多选，按住Shift可快速选中；") + QString(4, u' ') +
    QStringLiteral("（2）选择完毕后，在右侧列表中选择插入选中图片的位置，只能单选，然后点击中间“插入→”按钮即可插入；");

// The instructions put each numbered item on a line of its own by runs of
// spaces, which does that at one label width and font only. Shown with
// every run as a line break, they read the same at any width.
class InstructionLabel : public QLabel {
public:
    using QLabel::QLabel;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const QMargins m = contentsMargins();
        const QRect room(0, 0, std::max(1, width - m.left() - m.right()), 1 << 20);
        return fontMetrics().boundingRect(room, kFlags, shownText()).height() + m.top() + m.bottom();
    }
    QSize sizeHint() const override { return {640, heightForWidth(640)}; }
    QSize minimumSizeHint() const override { return {240, heightForWidth(240)}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(contentsRect(), kFlags, shownText());
    }

private:
    static constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    QString shownText() const {
        static const QRegularExpression runs(QStringLiteral(" {2,}"));
        return text().replace(runs, QStringLiteral("\n"));
    }
};

QList<int> selectedRowsOf(const PageListBox* list) {
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) rows.append(index.row());
    return rows;
}

} // namespace

ImgSortWnd::ImgSortWnd(PicMovieWnd* owner) : ToolWnd(owner, true), m_wnd(owner) {
    setObjectName(QStringLiteral("ImgSortWnd"));
    setWindowTitle(QStringLiteral("图片排序"));

    Label1 = new InstructionLabel(kInstructions, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto line = [this](QFrame*& f, const char* name) {
        f = new QFrame(this);
        f->setObjectName(QLatin1String(name));
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Sunken);
    };
    line(Line1, "Line1");
    line(Line2, "Line2");
    // One side: the list, the clicked row's picture and its intro.
    auto side = [this](QFrame*& shape, const char* shapeName, PageListBox*& list, const char* listName,
                       aicAlphaImage*& image, const char* imageName, QPlainTextEdit*& intro,
                       const char* introName) {
        shape = new QFrame(this);
        shape->setObjectName(QLatin1String(shapeName));
        shape->setFrameShape(QFrame::Box);
        list = new PageListBox(shape);
        list->setObjectName(QLatin1String(listName));
        list->setMinimumSize(220, 120);
        image = new aicAlphaImage(shape);
        image->setObjectName(QLatin1String(imageName));
        image->setMinimumSize(200, 150);
        intro = makeIntroPreview(shape, introName, QStringLiteral("解说内容"), 3);
        auto* column = new QVBoxLayout(shape);
        column->addWidget(list, 1);
        column->addWidget(image, 1);
        column->addWidget(intro);
    };
    side(Shape1, "Shape1", ListImgSrc, "ListImgSrc", ImgSrcShow, "ImgSrcShow", IntroSrcShow, "IntroSrcShow");
    side(Shape2, "Shape2", ListImgInsert, "ListImgInsert", ImgInsertShow, "ImgInsertShow", IntroInsertShow,
         "IntroInsertShow");
    ListImgSrc->setSelectionMode(QAbstractItemView::ExtendedSelection);

    BtnInsert = makeButton(this, "BtnInsert", QStringLiteral("插入→"));
    BtnOK = makeButton(this, "BtnOK", QStringLiteral("确 定"));
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("返 回"));

    auto* middle = new QHBoxLayout;
    middle->addWidget(Shape1, 1);
    middle->addWidget(BtnInsert, 0, Qt::AlignVCenter);
    middle->addWidget(Shape2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(Label1);
    all->addWidget(Line1);
    all->addLayout(middle, 1);
    all->addWidget(Line2);
    all->addLayout(buttons);

    connect(ListImgSrc, &PageListBox::Click, this, &ImgSortWnd::ListImgSrc_Click);
    connect(ListImgInsert, &PageListBox::Click, this, &ImgSortWnd::ListImgInsert_Click);
    connect(BtnInsert, &QPushButton::clicked, this, &ImgSortWnd::BtnInsert_Click);
    connect(BtnOK, &QPushButton::clicked, this, &ImgSortWnd::BtnOK_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &ImgSortWnd::BtnCancel_Click);
}

QSize ImgSortWnd::sizeHint() const { return {1000, 720}; }

void ImgSortWnd::LoadRows(const QStringList& rows) {
    ListImgInsert->clear();
    ListImgSrc->clear();
    ListImgInsert->addItems(rows);
    ListImgSrc->addItems(rows);
    if (!rows.isEmpty()) {
        ListImgInsert->selectRow(0);
        showSourceRow(0);
        return;
    }
    clearRowPreview(ImgSrcShow, IntroSrcShow);
    clearRowPreview(ImgInsertShow, IntroInsertShow);
}

QStringList ImgSortWnd::rows() const { return ListImgInsert->rows(); }

void ImgSortWnd::Form_Load() {
    listChanged = false;
    ListImgSrc->setFocus();
}

void ImgSortWnd::showSourceRow(int row) {
    if (row < 0 || row >= ListImgSrc->count()) return;
    if (ListImgSrc->currentRow() == row) {
        ListImgSrc_Click();
        return;
    }
    ListImgSrc->setCurrentRow(row, QItemSelectionModel::NoUpdate);  // Click follows
}


void ImgSortWnd::ListImgSrc_Click() { showRowPreview(ListImgSrc, ImgSrcShow, IntroSrcShow, m_wnd->rootFilePath); }
void ImgSortWnd::ListImgInsert_Click() { showRowPreview(ListImgInsert, ImgInsertShow, IntroInsertShow, m_wnd->rootFilePath); }

void ImgSortWnd::BtnInsert_Click() {
    const int current = ListImgInsert->currentRow();
    const int pos = current >= 0 && ListImgInsert->item(current)->isSelected() ? current : -1;
    const QList<int> selected = selectedRowsOf(ListImgSrc);
    // Moving to the top unasked surprises more than it helps.
    if (pos < 0 && !selected.isEmpty()) {
        dialogs().message(QStringLiteral("请先在右侧列表中选择插入位置"));
        return;
    }
    const std::optional<pages::GroupMove> moved = pages::moveGroup(rows(), selected, pos);
    if (!moved) {
        dialogs().message(QStringLiteral("插入位置非法！你不能在左右列表选中同一个元素>_<!"));
        return;
    }
    if (!selected.isEmpty()) {
        listChanged = true;
        ListImgInsert->refill(moved->rows);
        // The chosen page stays chosen; its picture is on view already.
        const QSignalBlocker quiet(ListImgInsert);
        ListImgInsert->setCurrentRow(moved->first - 1);
    }
    ListImgSrc->refill(moved->rows);
    showSourceRow(moved->first);
}

void ImgSortWnd::ApplyOrder() {
    m_wnd->history()->replaceRowsRecorded(QStringLiteral("排序"), rows());
    m_wnd->editedThisMovie = true;  // the title stays as it is
}

void ImgSortWnd::BtnOK_Click() {
    ApplyOrder();
    listChanged = false;
    enableOwner();
    close();
}

void ImgSortWnd::BtnCancel_Click() { close(); }

bool ImgSortWnd::Form_Unload() {
    return !listChanged || askToApply(QStringLiteral("是否保存顺序更改？"), [this] {
        ApplyOrder();
        listChanged = false;
    });
}

} // namespace kinoleaf
