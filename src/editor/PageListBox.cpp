#include "editor/PageListBox.h"

#include <QHelpEvent>
#include <QScopedValueRollback>
#include <QToolTip>

#include <algorithm>

namespace kinoleaf {

PageListBox::PageListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // One line a row: no need to lay out every row of a long script.
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        // Emptying the list moves the selection to no row: that is no click.
        if (!m_quiet && row >= 0) emit Click();
    });
    // Connected after the view's and the selection model's own handlers,
    // so the selection they move while rows go is behind us when this runs.
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] { m_quiet = false; });
}

void PageListBox::selectRow(int row) {
    {
        const QScopedValueRollback quiet(m_quiet, true);
        setCurrentRow(row);
    }
    if (row >= 0 && row < count()) emit Click();
}

void PageListBox::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // The view and then the selection model move the selection to a
    // neighbour of the rows going away; neither is a choice of a row.
    m_quiet = true;
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

void PageListBox::refill(const QStringList& rows) {
    const int top = indexAt(QPoint(0, 0)).row();
    clear();
    addItems(rows);
    // The user goes on where they were, not back at the top.
    if (top > 0 && count() > 0)
        scrollToItem(item(std::min(top, count() - 1)), QAbstractItemView::PositionAtTop);
}

bool PageListBox::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QListWidget::viewportEvent(event);
    // A row cut off at the list's edge shows its whole text on hover.
    auto* help = static_cast<QHelpEvent*>(event);
    const QListWidgetItem* row = itemAt(help->pos());
    if (!row) {
        QToolTip::hideText();
        return true;
    }
    const QRect rect = visualItemRect(row);
    // The delegate's margins around the text are a few pixels.
    const int textRight = rect.left() + fontMetrics().horizontalAdvance(row->text()) + 8;
    if (rect.left() < 0 || textRight > viewport()->width()) {
        QToolTip::showText(help->globalPos(), row->text(), viewport(), rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}

QStringList PageListBox::rows() const {
    QStringList out;
    out.reserve(count());
    for (int i = 0; i < count(); ++i) out.append(item(i)->text());
    return out;
}

QStringList PageListBox::selectedRows() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected()) out.append(item(i)->text());
    return out;
}

} // namespace kinoleaf
