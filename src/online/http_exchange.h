#pragma once
// The exchanges with the online service: form posts answered with JSON, and
// plain downloads of image files. Synchronous on the calling thread, as the
// windows expect; user input waits meanwhile, so no handler runs twice.

#include "util/json_value.h"

#include <QString>

#include <functional>

namespace kinoleaf::online {

// The service's address, ending in "/"; endpoint paths are appended to it.
// A built-in setting; tests point it at their own server. Anything but an
// http or https address ending in "/" is ignored.
QString serviceBaseUrl();
void setServiceBaseUrl(const QString& url);

// How long an exchange may wait for its reply (30 s unless a test says less);
// a download may take longer as long as data keeps coming at least that
// often. Values <= 0 are ignored.
int requestTimeoutMs();
void setRequestTimeoutMs(int ms);

// One form value, percent-encoded as UTF-8, so what a user types can neither
// add nor change a parameter.
QString encodeFormValue(const QString& value);

struct Exchange {
    JsonValue root;  // the parsed reply; empty when the exchange failed
    QString error;   // why it failed outright, in Chinese; "" when a reply was parsed
};

// Posts the form body (pairs already encoded) to base URL + endpoint path.
// Any reply that is a JSON object counts, whatever its HTTP status: the
// caller judges its "status" member.
Exchange PostForm(const QString& endpointPath, const QString& body);

struct Download {
    bool ok = false;
    QString error;  // in Chinese, when !ok
};

// Looks at a complete download under its temporary name before it takes
// its place: "" accepts it, anything else is the reason it is refused.
using DownloadCheck = std::function<QString(const QString& partPath)>;

// Fetches nUrl (http or https only) into nFile: only a complete reply with
// status 200 that check (when given) accepts is written, through a temporary
// file renamed into place, so an error page or a broken transfer never
// replaces an existing file.
Download DownNetFile(const QString& nUrl, const QString& nFile, const DownloadCheck& check = {});

} // namespace kinoleaf::online
