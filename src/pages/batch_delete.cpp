#include "pages/batch_delete.h"

#include "model/page_row.h"

#include <QSet>

#include <vector>

namespace kinoleaf::pages {

QStringList rowsWithout(const QStringList& rows, const QList<int>& removed) {
    std::vector<bool> gone(rows.size(), false);
    for (int i : removed)
        if (i >= 0 && i < rows.size()) gone[i] = true;
    QStringList kept;
    kept.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (!gone[i]) kept.append(rows[i]);
    return kept;
}

QList<int> rowsWhoseImageGoes(const QStringList& mainRows, const QStringList& remaining) {
    // Hashed: a scan of the remaining rows for every main row is quadratic,
    // seconds on a long movie.
    QSet<QString> shown;
    shown.reserve(remaining.size());
    for (const QString& row : remaining) shown.insert(imageNameOfRow(row));
    QList<int> going;
    for (qsizetype p = 0; p < mainRows.size(); ++p)
        if (!shown.contains(imageNameOfRow(mainRows[p]))) going.append(int(p));
    return going;
}

} // namespace kinoleaf::pages
