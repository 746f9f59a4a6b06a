#pragma once
// Batch deletion over the rows: what is left after the selected rows go,
// and which pages take their image with them.

#include <QList>
#include <QStringList>

namespace kinoleaf::pages {

// The rows not at the given positions, in order. Positions out of range or
// given twice are ignored.
QStringList rowsWithout(const QStringList& rows, const QList<int>& removed);

// The positions, ascending, of the main rows whose image no remaining row
// names (names compared exactly). One position a row, not a file: two
// removed rows of one image are both listed.
QList<int> rowsWhoseImageGoes(const QStringList& mainRows, const QStringList& remaining);

} // namespace kinoleaf::pages
