#include "overview/OverviewView.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>

namespace kinoleaf {

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

} // namespace kinoleaf
