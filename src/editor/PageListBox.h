#pragma once
// The page list. Like the list box it stands for, it raises Click when a
// row becomes the selected one, by the user or by the program, and never
// because rows were removed or the list was emptied, whoever did that: the
// page display must not run for a selection Qt moves on its own.

#include <QListWidget>

namespace kinoleaf {

class PageListBox : public QListWidget {
    Q_OBJECT
public:
    explicit PageListBox(QWidget* parent = nullptr);

    // Selects a row (−1 for none); for a row, Click follows even when it
    // was selected already.
    void selectRow(int row);

    // Empties the list and fills it with rows, no row current, no Click;
    // the row at the top of the view stays there when there is one.
    void refill(const QStringList& rows);

    QStringList rows() const;
    // The selected rows in list order, whatever order they were chosen in.
    QStringList selectedRows() const;

signals:
    void Click();

protected:
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    bool viewportEvent(QEvent* event) override;

private:
    bool m_quiet = false;
};

} // namespace kinoleaf
