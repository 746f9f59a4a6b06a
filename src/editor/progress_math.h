#pragma once
// The progress window's arithmetic, kept apart so it can be checked exactly.

#include <QString>

namespace kinoleaf::progress {

// Every load counts against this fixed total: the listing does not know
// the number of files in advance.
constexpr int kLoadTotal = 2000;

// Green width in single precision, as the bar stores it.
inline float greenWidth(float blackWidth, int done, int total) {
    return blackWidth * (static_cast<float>(done) / static_cast<float>(total));
}

// The integer part of done / total * 100 in double precision, in that order
// (580 of 2000 is 28.999999999999996, so "28%"); not clamped.
inline QString percentText(int done, int total) {
    const double value = static_cast<double>(done) / static_cast<double>(total) * 100.0;
    return QString::number(static_cast<long long>(value)) + QLatin1Char('%');
}

} // namespace kinoleaf::progress
