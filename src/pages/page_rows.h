#pragma once
// The page operations of the main window as plain functions over the rows:
// what a button does to the list, and which row is selected afterwards. The
// window applies the answer through its row operations.

#include <QString>
#include <QStringList>

namespace kinoleaf::pages {

// One change to the rows.
struct RowEdit {
    enum Kind { None, Insert, Remove, Swap };
    Kind kind = None;
    int row = -1;         // Insert: where the new row goes; Remove: the row; Swap: the upper row
    QString text;         // Insert: the new row's text
    int select = -1;      // the row selected afterwards; −1 for none
    QString deleteImage;  // Remove: the image to take out of the folder, "" to keep it
};

// A new page after the selected one, showing the same image, without intro.
RowEdit insertAfter(const QStringList& rows, int selected);
// The selected page goes; its image too when no other row shows it.
RowEdit deletePage(const QStringList& rows, int selected);
// The selected page changes places with the one above or below; None at
// the edge (the window answers with its message).
RowEdit moveUp(int selected, int count);
RowEdit moveDown(int selected, int count);

// How many rows show the image, compared exactly.
int imageUses(const QStringList& rows, const QString& imageName);

} // namespace kinoleaf::pages
