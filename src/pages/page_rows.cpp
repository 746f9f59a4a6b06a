#include "pages/page_rows.h"

#include "model/page_row.h"

namespace kinoleaf::pages {

RowEdit insertAfter(const QStringList& rows, int selected) {
    RowEdit edit;
    // Nothing to copy the image from: no row selected, or no rows at all.
    if (selected < 0 || selected >= rows.size()) return edit;
    edit.kind = RowEdit::Insert;
    edit.row = selected + 1;
    edit.text = imageNameOfRow(rows[selected]);
    edit.select = selected + 1;
    return edit;
}

int imageUses(const QStringList& rows, const QString& imageName) {
    int uses = 0;
    for (const QString& row : rows)
        if (imageNameOfRow(row) == imageName) ++uses;
    return uses;
}

RowEdit deletePage(const QStringList& rows, int selected) {
    RowEdit edit;
    if (selected < 0 || selected >= rows.size()) return edit;
    edit.kind = RowEdit::Remove;
    edit.row = selected;
    const QString image = imageNameOfRow(rows[selected]);
    if (imageUses(rows, image) <= 1) edit.deleteImage = image;
    // The row that moves into the gap, or the new last row.
    const int count = int(rows.size()) - 1;
    edit.select = selected < count - 1 ? selected : count - 1;
    return edit;
}

RowEdit moveUp(int selected, int count) {
    RowEdit edit;
    if (selected <= 0 || selected >= count) return edit;
    edit.kind = RowEdit::Swap;
    edit.row = selected - 1;
    edit.select = selected - 1;
    return edit;
}

RowEdit moveDown(int selected, int count) {
    RowEdit edit;
    if (selected < 0 || selected >= count - 1) return edit;
    edit.kind = RowEdit::Swap;
    edit.row = selected;
    edit.select = selected + 1;
    return edit;
}

} // namespace kinoleaf::pages
