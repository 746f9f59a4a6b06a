#include "platform/date_text.h"

#include <QLocale>

namespace kinoleaf {
namespace {
Clock g_clock;
}

QDate today() { return g_clock ? g_clock() : QDate::currentDate(); }
void setClock(Clock clock) { g_clock = std::move(clock); }

QString shortDateText(QDate date) { return QLocale::system().toString(date, QLocale::ShortFormat); }

QString fileNameDateText(QDate date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

} // namespace kinoleaf
