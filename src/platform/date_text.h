#pragma once
// Today's date as the editor shows it and as it puts it into file names,
// read from a clock that tests can replace.

#include <QDate>
#include <QString>
#include <functional>

namespace kinoleaf {

using Clock = std::function<QDate()>;

// The installed clock; the system date unless a test set another.
QDate today();
void setClock(Clock clock);  // an empty function restores the system clock

// The system's short date format, for messages.
QString shortDateText(QDate date);
// A form safe in file names on every platform: 2026-12-08.
QString fileNameDateText(QDate date);

} // namespace kinoleaf
