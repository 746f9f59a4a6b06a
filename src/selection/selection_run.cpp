#include "selection/selection_run.h"

#include "model/page_row.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kinoleaf::selection {
namespace {

// A figure beyond 16 bits (a movie of more than 32767 rows) stays at the
// nearest 16-bit value instead of wrapping round to a nonsense gap.
qint16 saturated16(double value) {
    return qint16(std::clamp(value, double(std::numeric_limits<qint16>::min()),
                             double(std::numeric_limits<qint16>::max())));
}

// The target a run uses: 0 means the minimum target. A target below 1 can't
// come from the boxes; taking it as 1 keeps the division meaningful.
qint16 targetInForce(const Settings& s) {
    qint16 t = s.cutRestCount == 0 ? s.minCutRest : s.cutRestCount;
    return std::max<qint16>(t, 1);
}

qint16 tickedBands(const BandTicks& bands) {
    return qint16(std::count(bands.begin(), bands.end(), true));
}

// The end of band b: floor(N / 10 × b), the quotient first, in doubles.
int bandEnd(int n, int b) { return int(std::floor(double(n) / 10.0 * double(b))); }

} // namespace

PieceSizes MakeLinearPieceSizeList(int n, const Settings& s) {
    PieceSizes out;
    out.cutRestCount = targetInForce(s);
    out.maxPieceSize = s.maxPieceSize;
    out.storyCheckedCount = tickedBands(s.bands);
    out.pieceSizeList = {saturated16(std::floor(double(n) / double(out.cutRestCount)))};
    return out;
}

PieceSizes MakeCurvePieceSizeList(int n, const Settings& s) {
    PieceSizes out;
    out.cutRestCount = targetInForce(s);
    out.storyCheckedCount = tickedBands(s.bands);
    const double avg = std::floor(double(n) / double(out.cutRestCount));
    const qint16 minGap = s.minPieceSize;
    qint16 maxGap = saturated16(2.0 * avg);
    if (!(maxGap > minGap)) maxGap = minGap;
    out.maxPieceSize = maxGap;

    const int span = out.storyCheckedCount == 0 ? 1 : 2 * out.storyCheckedCount;
    const std::int64_t bound = n / span;
    std::int64_t sum = 0;
    qint16 g = minGap;
    while (sum <= bound) {
        out.pieceSizeList.append(g);
        sum += g;
        // Entries that have stopped rising and add nothing (a target above
        // N makes the top 0) would never reach the bound: every later one
        // is this one again, so the table ends here.
        if (g >= maxGap && g <= 0) break;
        g = qint16(std::min<int>(g + 1, maxGap));
    }
    return out;
}

PieceSizes MakePieceSizeList(int n, const Settings& s) {
    return s.curve() ? MakeCurvePieceSizeList(n, s) : MakeLinearPieceSizeList(n, s);
}

qint16 GetPieceSizeAt(int p, int n, const Settings& s, const QList<qint16>& list) {
    if (!s.curve()) return list.first();
    const auto top = int(list.size() - 1);  // U

    const int band = std::clamp(int(std::floor(double(p) / double(n) * 10.0)) + 1, 1, kBands);
    int prev = 0;
    for (int b = band; b >= 1; --b) {
        if (s.bands[b - 1]) {
            prev = b;
            break;
        }
    }
    int next = kBands;
    for (int b = band; b <= kBands; ++b) {
        if (s.bands[b - 1]) {
            next = b;
            break;
        }
    }
    const int d = prev == 0 ? 0 : bandEnd(n, prev);
    const int e = bandEnd(n, next);
    const bool openEnd = e == n && !s.bands[kBands - 1];

    int centre, half;
    if (d > 0) {
        centre = openEnd ? d : (d + e) / 2;
        half = (e - d + 1) / 2;
    } else if (s.bands[0]) {
        centre = openEnd ? 0 : e / 2;
        half = (e + 1) / 2;
    } else {
        centre = openEnd ? e / 2 : e;
        half = e;
    }
    const double ratio = half == 0 ? 0.0 : std::fabs(double(p - centre)) / double(half);
    const double i = std::ceil(ratio * double(top));
    return list[i > top ? top : int(i)];
}

bool hasIntro(const QString& rowStr) {
    const QString intro = introOfRow(rowStr);
    return std::any_of(intro.begin(), intro.end(), [](QChar c) { return c != u' '; });
}

qsizetype countIntroRows(const QStringList& rows) { return std::count_if(rows.begin(), rows.end(), hasIntro); }

Outcome Run(const QStringList& rows, const std::vector<bool>& ticks, const Settings& s, const PieceSizes& table,
            const Progress& progress) {
    Outcome out;
    out.cutRestCount = table.cutRestCount;
    out.maxPieceSize = table.maxPieceSize;
    const auto n = int(rows.size());
    if (n == 0) return out;
    const QList<qint16>& list = table.pieceSizeList;

    int counter = 0;
    int gap = GetPieceSizeAt(0, n, s, list);
    for (int i = 0; i < n; ++i) {
        if (progress) progress(i);
        if (std::size_t(i) < ticks.size() && ticks[std::size_t(i)]) {
            out.kept.append(i);
            if (s.curve()) counter = 0;
        } else if (s.keepHaveIntro && hasIntro(rows[i])) {
            out.kept.append(i);
            if (s.keepSel) counter = 0;
        } else if (counter == 0) {
            out.kept.append(i);
        }
        if (++counter > gap) {
            counter = 0;
            gap = GetPieceSizeAt(i, n, s, list);  // for the rows after i
        }
    }
    return out;
}

Outcome Run(const QStringList& rows, const std::vector<bool>& ticks, const Settings& s) {
    if (rows.isEmpty()) return Run(rows, ticks, s, PieceSizes{{0}, targetInForce(s), s.maxPieceSize, 0});
    return Run(rows, ticks, s, MakePieceSizeList(int(rows.size()), s));
}

QString ReductionText(int kept, int total) {
    if (total <= 0) return QStringLiteral("0.00");  // nothing to reduce
    const double reduction = (1.0 - double(kept) / double(total)) * 100.0;
    // + 0.0 turns a negative zero into "0.00".
    return QString::number(reduction + 0.0, 'f', 2);
}

QString LogLine(const QString& modeText, int target, int kept, int total) {
    return QStringLiteral("[%1完成！]目标筛选张数：%2 张，实际筛选张数：%3 张，减少：%4%")
        .arg(modeText)
        .arg(target)
        .arg(kept)
        .arg(ReductionText(kept, total));
}

std::optional<qint16> ReadInt16(QStringView text) {
    text = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';

    // The digits without their point, and where the point stood.
    QString digits;
    qsizetype intDigits = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c >= u'0' && c <= u'9') {
            digits.append(c);
            if (!point) ++intDigits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits.isEmpty()) return std::nullopt;

    std::int64_t exponent = 0;
    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
        ++at;
        bool expNegative = false;
        if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) expNegative = text[at++] == u'-';
        const qsizetype expStart = at;
        for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
            exponent = std::min<std::int64_t>(exponent * 10 + (text[at].unicode() - u'0'), 1'000'000);
        if (at == expStart) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }
    if (at != text.size()) return std::nullopt;

    // Leading zeros say nothing; the point then stands after `whole` digits.
    qsizetype firstSignificant = 0;
    while (firstSignificant < digits.size() && digits[firstSignificant] == u'0') ++firstSignificant;
    if (firstSignificant == digits.size()) return qint16(0);
    digits = digits.mid(firstSignificant);
    const std::int64_t whole = std::int64_t(intDigits) - firstSignificant + exponent;
    if (whole > 5) return std::nullopt;  // 100000 or more

    std::int64_t value = 0;
    for (std::int64_t k = 0; k < whole; ++k)
        value = value * 10 + (k < digits.size() ? digits[qsizetype(k)].unicode() - u'0' : 0);
    // Below one half, one half, or above: the first dropped digit and any
    // nonzero digit after it decide.
    const qsizetype dropped = whole < 0 ? 0 : qsizetype(whole);
    int firstDropped = 0;
    bool restNonzero = false;
    if (whole >= 0) {
        if (dropped < digits.size()) firstDropped = digits[dropped].unicode() - u'0';
        for (qsizetype k = dropped + 1; k < digits.size() && !restNonzero; ++k) restNonzero = digits[k] != u'0';
    }
    // whole < 0: the number is below 0.1, so below one half.
    if (firstDropped > 5 || (firstDropped == 5 && (restNonzero || value % 2 == 1))) ++value;
    if (negative) value = -value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max()) return std::nullopt;
    return qint16(value);
}

int StoryPartRow(int n, int value) {
    return int(std::floor(double(n) / 10.0 * double(std::clamp(value, 0, kBands))));
}

} // namespace kinoleaf::selection
