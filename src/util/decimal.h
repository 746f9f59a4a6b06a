#pragma once
// An exact decimal number: a 96-bit unsigned mantissa, a sign and a scale
// (0..28 digits after the point). JSON numbers are held this way so that
// prices and identifiers read from the service never pass through binary
// floating point.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace kinoleaf {

class Decimal {
public:
    enum class ParseError { None, TypeMismatch, Overflow };

    static constexpr int kMaxScale = 28;

    Decimal() = default;
    Decimal(std::int64_t value);  // NOLINT: implicit on purpose, like a literal

    // Reads "[+-]digits[.digits][(e|E)[+-]digits]" (either side of the point
    // may be empty, not both). Digits beyond the 96-bit precision are rounded
    // half to even; values beyond the range fail with Overflow, everything
    // else that does not match fails with TypeMismatch.
    static std::optional<Decimal> parse(QStringView text, ParseError* error = nullptr);
    static QString describe(ParseError error);

    // Plain decimal notation with "." and no trailing zeros ("1.5" for 1.50).
    QString toString() const;

    // Rounded half to even; UtilError with code 6 out of range.
    std::int16_t toInt16() const;
    std::int32_t toInt32() const;

    bool isZero() const { return m_low == 0 && m_high == 0; }
    bool isNegative() const { return m_negative; }
    int scale() const { return m_scale; }

    int compare(const Decimal& other) const;
    friend bool operator==(const Decimal& a, const Decimal& b) { return a.compare(b) == 0; }
    friend bool operator<(const Decimal& a, const Decimal& b) { return a.compare(b) < 0; }
    friend bool operator>(const Decimal& a, const Decimal& b) { return a.compare(b) > 0; }
    friend bool operator<=(const Decimal& a, const Decimal& b) { return a.compare(b) <= 0; }
    friend bool operator>=(const Decimal& a, const Decimal& b) { return a.compare(b) >= 0; }

private:
    using Wide = unsigned __int128;
    std::int64_t roundedInteger(std::int64_t limit) const;

    Wide mantissa() const { return (Wide(m_high) << 64) | m_low; }
    void setMantissa(Wide m) { m_low = std::uint64_t(m); m_high = std::uint32_t(m >> 64); }

    // Two words rather than one 128-bit member keep the type at 16 bytes.
    std::uint64_t m_low = 0;
    std::uint32_t m_high = 0;  // the mantissa stays below 2^96
    std::uint8_t m_scale = 0;
    bool m_negative = false;
};

} // namespace kinoleaf
