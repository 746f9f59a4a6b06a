#include "editor/PageRowsView.h"

#include <QHelpEvent>
#include <QScopedValueRollback>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace kinoleaf {

// ---------------------------------------------------------------- the rows

int PageRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant PageRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return m_rows[index.row()];
    return {};
}

Qt::ItemFlags PageRowsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool PageRowsModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > m_rows.size()) return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.remove(row, count);
    endRemoveRows();
    return true;
}

void PageRowsModel::setRows(const QStringList& rows) {
    beginResetModel();
    m_rows = rows;  // shared, not copied
    endResetModel();
}

void PageRowsModel::appendRows(const QStringList& rows) {
    if (rows.isEmpty()) return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    if (m_rows.isEmpty()) m_rows = rows;
    else m_rows.append(rows);
    endInsertRows();
}

void PageRowsModel::appendRows(QStringList&& rows) {
    if (rows.isEmpty()) return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    if (m_rows.isEmpty()) m_rows = std::move(rows);
    else m_rows.append(std::move(rows));
    endInsertRows();
}

void PageRowsModel::insertRow(int row, const QString& text) {
    row = std::clamp(row, 0, int(m_rows.size()));
    beginInsertRows({}, row, row);
    m_rows.insert(row, text);
    endInsertRows();
}

void PageRowsModel::setRowText(int row, const QString& text) {
    if (row < 0 || row >= m_rows.size() || m_rows[row] == text) return;
    m_rows[row] = text;
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

// ---------------------------------------------------------------- the view

PageRowsView::PageRowsView(QWidget* parent) : QListView(parent), m_model(new PageRowsModel(this)) {
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line a row: no need to lay out every row of a long script.
    setUniformItemSizes(true);
    connect(this, &PageRowsView::currentRowChanged, this, [this](int row) {
        // Emptying the list moves the selection to no row: that is no click.
        if (!m_quiet && row >= 0) emit Click();
    });
    // Connected after the view's and the selection model's own handlers,
    // so the selection they move while rows go is behind us when this runs.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] { m_quiet = false; });
}

void PageRowsView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    emit currentRowChanged(current.isValid() ? current.row() : -1);
}

void PageRowsView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // The view and then the selection model move the selection to a
    // neighbour of the rows going away; neither is a choice of a row.
    m_quiet = true;
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void PageRowsView::setCurrentRow(int row) {
    // As QListWidget does for a single selection.
    selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

void PageRowsView::selectRow(int row) {
    {
        const QScopedValueRollback quiet(m_quiet, true);
        setCurrentRow(row);
    }
    if (row >= 0 && row < count()) emit Click();
}

int PageRowsView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int PageRowsView::count() const { return int(m_model->rows().size()); }

QString PageRowsView::rowText(int row) const {
    return row >= 0 && row < count() ? m_model->rows()[row] : QString();
}

void PageRowsView::replaceRows(const QStringList& rows) { m_model->setRows(rows); }

void PageRowsView::appendRows(const QStringList& rows) { m_model->appendRows(rows); }

void PageRowsView::appendRows(QStringList&& rows) { m_model->appendRows(std::move(rows)); }

void PageRowsView::insertRow(int row, const QString& text) { m_model->insertRow(row, text); }

void PageRowsView::setRowText(int row, const QString& text) { m_model->setRowText(row, text); }

void PageRowsView::removeRow(int row) { m_model->removeRows(row, 1); }

bool PageRowsView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QListView::viewportEvent(event);
    // A row cut off at the list's edge shows its whole text on hover.
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex at = indexAt(help->pos());
    if (!at.isValid()) {
        QToolTip::hideText();
        return true;
    }
    const QString text = rowText(at.row());
    const QRect rect = visualRect(at);
    // The delegate's margins around the text are a few pixels.
    const int textRight = rect.left() + fontMetrics().horizontalAdvance(text) + 8;
    if (rect.left() < 0 || textRight > viewport()->width()) {
        QToolTip::showText(help->globalPos(), text, viewport(), rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}

} // namespace kinoleaf
