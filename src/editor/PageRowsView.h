#pragma once
// The main window's page list: the same behaviour as PageListBox (Click when
// a row becomes the selected one, by the user or the program, never because
// rows went or the list was emptied), but the rows are held as plain texts
// in a model of their own. A movie of a hundred thousand pages then costs
// no list item, no item data and no allocation per row when it is opened.

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

namespace kinoleaf {

class PageRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    const QStringList& rows() const { return m_rows; }
    void setRows(const QStringList& rows);
    void appendRows(const QStringList& rows);
    void appendRows(QStringList&& rows);
    void insertRow(int row, const QString& text);
    void setRowText(int row, const QString& text);

private:
    QStringList m_rows;
};

class PageRowsView : public QListView {
    Q_OBJECT
public:
    explicit PageRowsView(QWidget* parent = nullptr);

    // Selects a row (−1 for none); for a row, Click follows even when it
    // was selected already.
    void selectRow(int row);
    // As a click on the row: selects it, and Click follows when it is a
    // row that was not selected.
    void setCurrentRow(int row);
    int currentRow() const;

    int count() const;
    QString rowText(int row) const;  // "" for no row
    const QStringList& rows() const { return m_model->rows(); }

    // Empties the list and fills it with rows, no row current, no Click,
    // scrolled to the top.
    void replaceRows(const QStringList& rows);
    void appendRows(const QStringList& rows);
    // Takes the texts over: nothing is copied, not even a reference.
    void appendRows(QStringList&& rows);
    void insertRow(int row, const QString& text);  // count() appends
    void setRowText(int row, const QString& text);
    void removeRow(int row);
    void clear() { replaceRows({}); }

signals:
    void Click();
    void currentRowChanged(int row);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    bool viewportEvent(QEvent* event) override;

private:
    PageRowsModel* m_model;
    bool m_quiet = false;
};

} // namespace kinoleaf
