#include "util/decimal.h"

#include "util/util_error.h"

namespace kinoleaf {
namespace {

using Wide = unsigned __int128;

constexpr Wide kMaxMantissa = (Wide(1) << 96) - 1;
// Digits kept while reading; 10^38 still fits 128 bits, and anything beyond
// only matters for rounding.
constexpr int kGatherDigits = 38;

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

// A mantissa being reduced: value = m + (digit / 10 + a little when sticky).
struct Reducer {
    Wide m = 0;
    int digit = 0;
    bool sticky = false;

    void dropDigit() {
        sticky = sticky || digit != 0;
        digit = int(m % 10);
        m /= 10;
    }
    bool roundsUp() const { return digit > 5 || (digit == 5 && (sticky || (m & 1) != 0)); }
};

} // namespace

Decimal::Decimal(std::int64_t value) {
    m_negative = value < 0;
    // Negate in unsigned space so INT64_MIN is safe.
    const std::uint64_t magnitude = m_negative ? 0 - std::uint64_t(value) : std::uint64_t(value);
    setMantissa(magnitude);
}

std::optional<Decimal> Decimal::parse(QStringView text, ParseError* error) {
    auto fail = [error](ParseError e) -> std::optional<Decimal> {
        if (error) *error = e;
        return std::nullopt;
    };
    if (error) *error = ParseError::None;

    const qsizetype n = text.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    Reducer r;
    int gathered = 0;          // significant digits held in r.m
    std::int64_t exponent = 0;  // value = r.m * 10^exponent (plus the dropped tail)
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'.') {
            if (afterPoint) return fail(ParseError::TypeMismatch);
            afterPoint = true;
            continue;
        }
        if (!isDigit(c)) break;
        anyDigit = true;
        const int d = c.unicode() - '0';
        if (gathered < kGatherDigits) {
            if (r.m == 0 && d == 0) {
                if (afterPoint) --exponent;  // leading zeros carry no precision
                continue;
            }
            r.m = r.m * 10 + Wide(d);
            ++gathered;
            if (afterPoint) --exponent;
        } else {
            // Beyond the kept digits: remember the first for rounding, the rest as sticky.
            if (gathered == kGatherDigits) {
                r.digit = d;
                ++gathered;
            } else {
                r.sticky = r.sticky || d != 0;
            }
            if (!afterPoint) ++exponent;
        }
    }
    if (!anyDigit) return fail(ParseError::TypeMismatch);

    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            expNegative = text[i] == u'-';
            ++i;
        }
        if (i >= n || !isDigit(text[i])) return fail(ParseError::TypeMismatch);
        std::int64_t e = 0;
        for (; i < n && isDigit(text[i]); ++i) {
            // Saturate: beyond this any non-zero value over- or underflows anyway.
            if (e < 1000000) e = e * 10 + (text[i].unicode() - '0');
        }
        exponent += expNegative ? -e : e;
    }
    if (i != n) return fail(ParseError::TypeMismatch);

    Decimal result;
    if (r.m == 0) {
        result.m_negative = false;
        return result;
    }
    if (exponent > 0) {
        // Integer digits were dropped or the exponent scales up: no fraction remains.
        if (r.digit != 0 || r.sticky) return fail(ParseError::Overflow);
        for (std::int64_t k = 0; k < exponent; ++k) {
            if (r.m > kMaxMantissa / 10) return fail(ParseError::Overflow);
            r.m *= 10;
        }
        if (r.m > kMaxMantissa) return fail(ParseError::Overflow);
        result.setMantissa(r.m);
        result.m_negative = negative;
        return result;
    }

    std::int64_t scale = -exponent;
    if (scale > kMaxScale + kGatherDigits + 2) {
        // Far below the smallest step: rounds to zero.
        return result;
    }
    for (;;) {
        while (scale > kMaxScale || r.m > kMaxMantissa) {
            if (scale == 0) return fail(ParseError::Overflow);
            r.dropDigit();
            --scale;
        }
        if (r.roundsUp()) {
            ++r.m;
            r.digit = 0;
            r.sticky = false;
            if (r.m > kMaxMantissa) continue;  // the carry needs one more digit dropped
        }
        break;
    }
    result.setMantissa(r.m);
    result.m_scale = std::uint8_t(scale);
    result.m_negative = negative && r.m != 0;
    return result;
}

QString Decimal::describe(ParseError error) {
    switch (error) {
    case ParseError::None: return {};
    case ParseError::Overflow: return UtilError::overflow().description();
    case ParseError::TypeMismatch: break;
    }
    return UtilError::typeMismatch().description();
}

QString Decimal::toString() const {
    char digits[40];
    int len = 0;
    Wide m = mantissa();
    do {
        digits[len++] = char('0' + int(m % 10));
        m /= 10;
    } while (m != 0);
    // digits[] holds the mantissa backwards; pad so the point has a digit before it.
    while (len <= m_scale) digits[len++] = '0';

    int firstKept = 0;  // trailing zeros of the fraction are not shown
    while (firstKept < m_scale && digits[firstKept] == '0') ++firstKept;

    QString out;
    out.reserve(len + 2);
    if (m_negative) out += QLatin1Char('-');
    for (int k = len - 1; k >= m_scale; --k) out += QLatin1Char(digits[k]);
    if (firstKept < m_scale) {
        out += QLatin1Char('.');
        for (int k = m_scale - 1; k >= firstKept; --k) out += QLatin1Char(digits[k]);
    }
    return out;
}

std::int64_t Decimal::roundedInteger(std::int64_t limit) const {
    Reducer r;
    r.m = mantissa();
    for (int k = 0; k < m_scale; ++k) r.dropDigit();
    if (r.roundsUp()) ++r.m;
    // The negative side may reach one further (-32768, -2147483648).
    const Wide bound = Wide(limit) + (m_negative ? 1 : 0);
    if (r.m > bound) throw UtilError::overflow();
    const auto magnitude = std::int64_t(r.m);
    return m_negative ? -magnitude : magnitude;
}

std::int16_t Decimal::toInt16() const { return std::int16_t(roundedInteger(32767)); }
std::int32_t Decimal::toInt32() const { return std::int32_t(roundedInteger(2147483647)); }

int Decimal::compare(const Decimal& other) const {
    const bool aZero = isZero(), bZero = other.isZero();
    if (aZero && bZero) return 0;
    const bool aNeg = m_negative && !aZero, bNeg = other.m_negative && !bZero;
    if (aNeg != bNeg) return aNeg ? -1 : 1;

    // Bring both to the larger scale; a mantissa that outgrows 96 bits on the
    // way is larger than any mantissa the other can hold.
    Wide a = mantissa(), b = other.mantissa();
    int magnitude = 0;
    if (m_scale < other.m_scale) {
        int k = m_scale;
        for (; k < other.m_scale && a <= kMaxMantissa; ++k) a *= 10;
        magnitude = (a > kMaxMantissa) ? 1 : (a < b ? -1 : (a > b ? 1 : 0));
    } else {
        int k = other.m_scale;
        for (; k < m_scale && b <= kMaxMantissa; ++k) b *= 10;
        magnitude = (b > kMaxMantissa) ? -1 : (a < b ? -1 : (a > b ? 1 : 0));
    }
    return aNeg ? -magnitude : magnitude;
}

} // namespace kinoleaf
