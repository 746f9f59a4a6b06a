#include "pages/group_move.h"

#include <algorithm>
#include <vector>

namespace kinoleaf::pages {

std::optional<GroupMove> moveGroup(const QStringList& rows, const QList<int>& selected, int chosen) {
    const qsizetype n = rows.size();
    std::vector<bool> moving(n, false);
    for (int i : selected) {
        if (i < 0 || i >= n) continue;
        if (i == chosen) return std::nullopt;
        moving[i] = true;
    }
    // One pass instead of a removal and an insertion per row, which is
    // quadratic in the list.
    QStringList rest, moved;
    rest.reserve(n);
    int at = chosen + 1;
    for (qsizetype i = 0; i < n; ++i) {
        if (!moving[i]) {
            rest.append(rows[i]);
            continue;
        }
        moved.append(rows[i]);
        if (i < chosen) --at;
    }
    at = std::clamp(at, 0, int(rest.size()));
    GroupMove result;
    result.first = at;
    result.rows.reserve(n);
    result.rows.append(rest.mid(0, at));
    result.rows.append(moved);
    result.rows.append(rest.mid(at));
    return result;
}

} // namespace kinoleaf::pages
