#include "overview/OverviewWnd.h"

#include "editor/MovieHistory.h"
#include "editor/PageRowsView.h"
#include "editor/PicMovieWnd.h"
#include "overview/OverviewModel.h"
#include "overview/thumbnail_provider.h"
#include "pages/batch_delete.h"
#include "pages/deleted_images.h"
#include "pages/group_move.h"
#include "platform/dialogs.h"

#include <QCache>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kinoleaf {

// ---------------------------------------------------------------- the tiles

class OverviewDelegate : public QStyledItemDelegate {
public:
    explicit OverviewDelegate(QObject* parent) : QStyledItemDelegate(parent) { m_scaled.setMaxCost(1200); }

    int side = 128;
    int currentRow = -1;

    void setSide(int s) {
        side = s;
        m_scaled.clear();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int line = option.fontMetrics.height();
        return {side + 2 * kPad, side + 2 * kPad + 2 * line + 2};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect r = option.rect.adjusted(1, 1, -1, -1);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        if (selected) p->fillRect(r, pal.color(QPalette::Highlight).lighter(170));

        const QRect box(r.left() + kPad - 1, r.top() + kPad - 1, side, side);
        drawThumbnail(p, box, index);

        const QFontMetrics& fm = option.fontMetrics;
        const int line = fm.height();
        QRect text(r.left() + 4, box.bottom() + 3, r.width() - 8, line);
        const QString intro = index.data(OverviewModel::IntroRole).toString();
        QFont bold = option.font;
        bold.setBold(true);
        p->setFont(bold);
        p->setPen(pal.color(QPalette::Text));
        const QString number = QString::number(index.data(OverviewModel::PageNumberRole).toInt());
        p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, number);
        const int numberWidth = QFontMetrics(bold).horizontalAdvance(number) + 6;
        p->setFont(option.font);
        const QString name = imageNameShown(index);
        p->setPen(pal.color(QPalette::PlaceholderText));
        p->drawText(text.adjusted(numberWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(name, Qt::ElideMiddle, text.width() - numberWidth));
        text.translate(0, line);
        if (intro.isEmpty()) {
            p->setPen(kNoIntro);
            p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("（无解说）"));
            // A corner of the tile, beside the text, says it too, seen from afar.
            const QPoint c = r.bottomRight();
            const QPoint corner[3] = {c, c + QPoint(-14, 0), c + QPoint(0, -14)};
            p->setPen(Qt::NoPen);
            p->setBrush(kNoIntro);
            p->drawPolygon(corner, 3);
        } else {
            p->setPen(pal.color(QPalette::Text));
            p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(intro, Qt::ElideRight, text.width()));
        }

        if (index.row() == currentRow) {
            p->setPen(QPen(kCurrent, 3));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(1, 1, -2, -2));
        } else if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
    }

private:
    static constexpr int kPad = 6;
    static inline const QColor kNoIntro{0xE0, 0x80, 0x00};
    static inline const QColor kCurrent{0xD0, 0x20, 0x20};

    static QString imageNameShown(const QModelIndex& index) {
        const QString path = index.data(OverviewModel::ImagePathRole).toString();
        return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    }

    void drawThumbnail(QPainter* p, const QRect& box, const QModelIndex& index) const {
        const int state = index.data(OverviewModel::ThumbStateRole).toInt();
        if (state == Thumbnail::Ready) {
            const QImage image = scaledFor(index);
            const QPoint at(box.left() + (box.width() - image.width()) / 2,
                            box.top() + (box.height() - image.height()) / 2);
            p->drawImage(at, image);
            return;
        }
        p->fillRect(box, QColor(0xEE, 0xEE, 0xEE));
        if (state < 0) return;  // on its way
        // A drawn tile, never an empty hole: the page is there, its picture not.
        p->setPen(QColor(0xB0, 0x30, 0x30));
        p->setBrush(Qt::NoBrush);
        p->drawRect(box.adjusted(0, 0, -1, -1));
        p->drawText(box, Qt::AlignCenter,
                    state == Thumbnail::Missing ? QStringLiteral("图片不存在") : QStringLiteral("无法显示"));
    }

    // Thumbnails are 128 or 256 pixels; other sides are scaled once, not at
    // every paint.
    QImage scaledFor(const QModelIndex& index) const {
        const QImage image = index.data(Qt::DecorationRole).value<QImage>();
        if (image.width() <= side && image.height() <= side) return image;
        const QString key = index.data(OverviewModel::ImagePathRole).toString() + QString::number(image.cacheKey());
        if (const QImage* hit = m_scaled.object(key)) return *hit;
        const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_scaled.insert(key, new QImage(scaled));
        return scaled;
    }

    mutable QCache<QString, QImage> m_scaled;
};

// ---------------------------------------------------------------- the view

OverviewView::OverviewView(QWidget* parent) : QListView(parent) {
    setViewMode(QListView::IconMode);
    // Static: a drop reorders pages, it does not place tiles freely.
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setWrapping(true);
    setFlow(QListView::LeftToRight);
    setSpacing(2);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

std::pair<int, int> OverviewView::visibleRows() const {
    const int count = model() ? model()->rowCount() : 0;
    if (count == 0) return {-1, -1};
    const QRect area = viewport()->rect();
    QModelIndex first = indexAt(area.topLeft() + QPoint(4, 4));
    if (!first.isValid()) {
        // The top edge falls between rows of tiles.
        for (int y = 4; y < area.height() && !first.isValid(); y += 8) first = indexAt(QPoint(8, y));
        if (!first.isValid()) return {-1, -1};
    }
    int last = first.row();
    QModelIndex end = indexAt(area.bottomRight() - QPoint(4, 4));
    if (end.isValid()) {
        last = end.row();
    } else {
        // The bottom edge may fall between rows of tiles, and the last row
        // may stop short of the right edge: up to the lowest row on view,
        // then along it from the right. Never "to the end of the movie",
        // which would ask for every thumbnail at once.
        int y = area.height() - 4;
        while (y > 0 && !indexAt(QPoint(8, y)).isValid()) y -= 8;
        for (int x = area.width() - 4; x > 0 && !end.isValid(); x -= 16) end = indexAt(QPoint(x, y));
        if (end.isValid()) last = end.row();
    }
    return {first.row(), std::max(first.row(), last)};
}

void OverviewView::mouseReleaseEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool plain = event->button() == Qt::LeftButton &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
    QListView::mouseReleaseEvent(event);
    if (plain && at.isValid() && at == currentIndex()) emit pageChosen(at.row());
}

std::optional<int> OverviewView::dropAfter(QPoint pos) const {
    const QModelIndex at = indexAt(pos);
    if (at.isValid()) {
        const QRect r = visualRect(at);
        return pos.x() < r.center().x() ? at.row() - 1 : at.row();
    }
    const int count = model()->rowCount();
    if (count == 0) return std::nullopt;
    const QRect last = visualRect(model()->index(count - 1, 0));
    // Below the last tile, or right of it in its row: to the end.
    if (pos.y() > last.bottom() || (pos.y() >= last.top() && pos.x() > last.right())) return count - 1;
    return std::nullopt;
}

void OverviewView::dragMoveEvent(QDragMoveEvent* event) {
    QListView::dragMoveEvent(event);
    const bool ours = event->source() == this && event->mimeData()->hasFormat(QString::fromLatin1(OverviewModel::kMimeType));
    if (ours && dropAfter(event->position().toPoint())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void OverviewView::dropEvent(QDropEvent* event) {
    const std::optional<int> after = dropAfter(event->position().toPoint());
    if (event->source() != this || !after) {
        event->ignore();
        return;
    }
    // The rows change through the main window; the view must not remove the
    // dragged items itself when the drag ends.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setState(NoState);
    viewport()->update();
    emit moveRequested(*after);
}

void OverviewView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0) emit zoomRequested(steps);
        event->accept();
        return;
    }
    QListView::wheelEvent(event);
}

// ---------------------------------------------------------------- the window

OverviewWnd::OverviewWnd(PicMovieWnd* wnd) : ToolWnd(wnd, false), m_wnd(wnd) {
    setObjectName(QStringLiteral("OverviewWnd"));
    setWindowTitle(QStringLiteral("总览"));
    m_thumbs = new ThumbnailProvider(this);
    m_model = new OverviewModel(m_thumbs, [wnd] { return wnd->rootFilePath; }, this);
    m_model->setSourceModel(wnd->ListMoviePics->model());
    m_view = new OverviewView(this);
    m_view->setObjectName(QStringLiteral("ListOverview"));
    m_delegate = new OverviewDelegate(m_view);
    m_view->setItemDelegate(m_delegate);
    m_view->setModel(m_model);
    m_view->installEventFilter(this);

    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("LabelOverviewCount"));
    m_zoom = new QSlider(Qt::Horizontal, this);
    m_zoom->setObjectName(QStringLiteral("SliderThumbSize"));
    m_zoom->setRange(kMinSide, kMaxSide);
    m_zoom->setSingleStep(16);
    m_zoom->setPageStep(32);
    m_zoom->setValue(128);
    m_zoom->setFixedWidth(160);
    m_zoom->setToolTip(QStringLiteral("缩略图大小（Ctrl+滚轮）"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_counts, 1);
    bottom->addWidget(new QLabel(QStringLiteral("大小"), this));
    bottom->addWidget(m_zoom);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    resize(900, 640);

    setThumbSide(128);
    connect(m_zoom, &QSlider::valueChanged, this, &OverviewWnd::setThumbSide);
    connect(m_view, &OverviewView::zoomRequested, this,
            [this](int steps) { m_zoom->setValue(m_zoom->value() + steps * 16); });
    connect(m_view, &OverviewView::pageChosen, this, &OverviewWnd::choosePage);
    connect(m_view, &QAbstractItemView::activated, this, [this](const QModelIndex& i) { choosePage(i.row()); });
    connect(m_view, &OverviewView::moveRequested, this, &OverviewWnd::moveSelectedAfter);
    connect(wnd->ListMoviePics, &PageRowsView::currentRowChanged, this, &OverviewWnd::onMainRowChanged);
    connect(m_thumbs, &ThumbnailProvider::ready, m_view->viewport(), qOverload<>(&QWidget::update));
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &OverviewWnd::scheduleRequests);
    // Each change of the rows reaches the view as itself; the thumbnails
    // wanted are asked for again (a renamed image is a new picture).
    const auto rowsChanged = [this] {
        scheduleRequests();
        showCounts();
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &OverviewWnd::scheduleRequests);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_delegate->currentRow = m_wnd->selectedRow(); });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &OverviewWnd::showCounts);
    m_delegate->currentRow = wnd->selectedRow();
    showCounts();
}

OverviewWnd::~OverviewWnd() = default;

void OverviewWnd::Form_Load() {
    onMainRowChanged(m_wnd->selectedRow());
    scheduleRequests();
}

bool OverviewWnd::Form_Unload() {
    m_thumbs->request({});  // nothing on view any more
    return true;
}

int OverviewWnd::thumbSide() const { return m_delegate->side; }

void OverviewWnd::setThumbSide(int side) {
    side = std::clamp(side, kMinSide, kMaxSide);
    m_delegate->setSide(side);
    m_thumbs->setSide(side);
    QStyleOptionViewItem option;
    option.fontMetrics = m_view->fontMetrics();
    const QSize hint = m_delegate->sizeHint(option, {});
    m_view->setGridSize(hint + QSize(4, 4));
    if (m_zoom->value() != side) m_zoom->setValue(side);
    // The same tile stays in view.
    if (m_view->currentIndex().isValid()) m_view->scrollTo(m_view->currentIndex());
    scheduleRequests();
}

QList<int> OverviewWnd::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& i : m_view->selectionModel()->selectedIndexes()) rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void OverviewWnd::choosePage(int row) {
    if (row < 0 || row >= m_wnd->rowCount() || row == m_wnd->selectedRow()) {
        m_delegate->currentRow = m_wnd->selectedRow();
        return;
    }
    m_choosing = true;
    m_wnd->setSelectedRow(row);
    m_choosing = false;
}

void OverviewWnd::onMainRowChanged(int row) {
    m_delegate->currentRow = row;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex at = m_model->index(row, 0);
        // Our own click keeps the selection it made (Ctrl/Shift ones too).
        if (!m_choosing) m_view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        if (isVisible()) m_view->scrollTo(at);
    }
    m_view->viewport()->update();
}

void OverviewWnd::scheduleRequests() {
    if (m_requestPending) return;
    m_requestPending = true;
    // After the layout has caught up with the change.
    QTimer::singleShot(0, this, [this] {
        m_requestPending = false;
        requestVisible();
    });
}

void OverviewWnd::requestVisible() {
    if (!isVisible()) return;
    const auto [first, last] = m_view->visibleRows();
    if (first < 0) {
        m_thumbs->request({});
        return;
    }
    const int count = m_model->rowCount();
    const int screen = last - first + 1;
    QStringList paths;
    paths.reserve(screen * 3);
    for (int r = first; r <= last; ++r) paths.append(m_model->imagePath(r));
    // Then the next screen, then the one before: where scrolling goes next.
    for (int r = last + 1; r < std::min(count, last + 1 + screen); ++r) paths.append(m_model->imagePath(r));
    for (int r = first - 1; r >= std::max(0, first - screen); --r) paths.append(m_model->imagePath(r));
    m_thumbs->request(paths);
}

void OverviewWnd::showCounts() {
    const int selected = int(m_view->selectionModel()->selectedIndexes().size());
    QString text = QStringLiteral("共 %1 页").arg(m_model->rowCount());
    if (selected > 1) text += QStringLiteral("，已选 %1 页（Delete 删除，拖动可移动）").arg(selected);
    m_counts->setText(text);
}

void OverviewWnd::deleteSelected() {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty() || m_wnd->rootFilePath.isEmpty()) return;
    const QStringList after = pages::rowsWithout(m_wnd->rows(), selected);
    pages::DeletionReport report;
    if (!m_wnd->removePagesKeeping(QStringLiteral("删除此页"), QStringLiteral("删除 %1 页").arg(selected.size()),
                                   after, [](int, int) {}, report))
        return;  // the folder refused; nothing changed
    m_wnd->MarkUnsaved();
    // The page after the first one gone takes its place, as 删除此页 does.
    if (!after.isEmpty()) m_wnd->setSelectedRow(std::min(selected.first(), int(after.size()) - 1));
    if (!report.notMoved().isEmpty()) dialogs().message(report.message(), MsgIcon::Exclamation);
}

bool OverviewWnd::moveSelectedAfter(int chosen) {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty()) return false;
    const QStringList before = m_wnd->rows();
    const std::optional<pages::GroupMove> moved = pages::moveGroup(before, selected, chosen);
    if (!moved || moved->rows == before) return false;
    m_wnd->history()->replaceRowsRecorded(QStringLiteral("移动 %1 页").arg(selected.size()), moved->rows);
    m_wnd->MarkUnsaved();
    m_wnd->setSelectedRow(moved->first);
    // The moved group stays selected, ready for the next move.
    QItemSelection group(m_model->index(moved->first, 0), m_model->index(moved->first + int(selected.size()) - 1, 0));
    m_view->selectionModel()->select(group, QItemSelectionModel::ClearAndSelect);
    m_view->selectionModel()->setCurrentIndex(m_model->index(moved->first, 0), QItemSelectionModel::NoUpdate);
    return true;
}

void OverviewWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    ToolWnd::keyPressEvent(event);
}

bool OverviewWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            deleteSelected();
            return true;
        }
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier)) {
            close();
            return true;
        }
    }
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) scheduleRequests();
    return ToolWnd::eventFilter(watched, event);
}

} // namespace kinoleaf
