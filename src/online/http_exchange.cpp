#include "online/http_exchange.h"

namespace kinoleaf::online {

namespace {
QString g_baseUrl = QStringLiteral("http://quillhall.example/");
int g_timeoutMs = 30000;
} // namespace

QString serviceBaseUrl() { return g_baseUrl; }
void setServiceBaseUrl(const QString& url) { g_baseUrl = url; }
int requestTimeoutMs() { return g_timeoutMs; }
void setRequestTimeoutMs(int ms) { g_timeoutMs = ms; }
QString encodeFormValue(const QString& value) { return value; }
Exchange PostForm(const QString&, const QString&) { return {}; }
Download DownNetFile(const QString&, const QString&) { return {}; }

} // namespace kinoleaf::online
