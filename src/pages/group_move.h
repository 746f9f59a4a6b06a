#pragma once
// Reordering: a group of pages moved to right after a chosen page.

#include <QList>
#include <QStringList>

#include <optional>

namespace kinoleaf::pages {

struct GroupMove {
    QStringList rows;  // the new order
    // Where the first moved row now stands; with nothing selected, where it
    // would have stood (right after the chosen row).
    int first = 0;
};

// Moves the rows at the selected positions (in any order; out of range or
// repeated ones ignored) to right after the row at chosen, −1 for the top.
// The moved rows keep their relative order, the others theirs. nullopt when
// a selected row is the chosen one.
std::optional<GroupMove> moveGroup(const QStringList& rows, const QList<int>& selected, int chosen);

} // namespace kinoleaf::pages
