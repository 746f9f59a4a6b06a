#include "online/http_exchange.h"

#include "platform/file_errors.h"
#include "platform/file_helpers.h"
#include "util/json.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <memory>

namespace kinoleaf::online {

namespace {

QMutex g_baseUrlMutex;
QString g_baseUrl = QStringLiteral("http://quillhall.example/");
std::atomic<int> g_timeoutMs{30000};

const QString kNoEventLoop = QStringLiteral("程序内部错误：应用程序对象还没有建立，无法联网");

bool isWebUrl(const QUrl& url) {
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

class NoCookies final : public QNetworkCookieJar {
public:
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

// A reply to a form post is a few kilobytes; one past this is no answer of
// the service's, and reading on would only fill memory.
constexpr qint64 kMaxReplyBytes = 64 * 1024 * 1024;

// One manager per thread, so connections to the service are reused from one
// exchange to the next. It goes with the application (main thread) or with
// its thread, never after the event machinery it needs.
QNetworkAccessManager* manager() {
    thread_local QPointer<QNetworkAccessManager> nam;
    if (!nam) {
        nam = new QNetworkAccessManager;
        // Nothing but the user name authenticates: a session cookie kept
        // from one login would go with the next user's requests.
        nam->setCookieJar(new NoCookies);
        QThread* thread = QThread::currentThread();
        if (thread == QCoreApplication::instance()->thread())
            nam->setParent(QCoreApplication::instance());
        else
            QObject::connect(thread, &QThread::finished, nam, &QObject::deleteLater);
    }
    return nam;
}

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { delete reply; }
};
using ReplyPtr = std::unique_ptr<QNetworkReply, ReplyDeleter>;

// Waits for the reply in a local loop that holds user input back, so no
// click can start a second exchange (or close the window) meanwhile.
// perByte: the time-out counts from the last data received rather than from
// the start, so a large file on a slow line still arrives. True on time-out.
bool waitFor(QNetworkReply* reply, int timeoutMs, bool perByte) {
    if (reply->isFinished()) return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
        loop.quit();
    });
    if (perByte)
        QObject::connect(reply, &QNetworkReply::downloadProgress, &timer, [&] { timer.start(); });
    timer.start(timeoutMs);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return timedOut;
}

QString secondsText(int ms) {
    return QString::number(double(ms) / 1000.0, 'g', 6);
}

QString hostText(const QUrl& url) {
    return url.port() >= 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}

// Failures below HTTP: no usable reply came. Content and server errors
// (4xx, 5xx) come with a reply the caller may still read.
bool isTransportFailure(QNetworkReply::NetworkError e) {
    const int code = int(e);
    return e != QNetworkReply::NoError && !(code >= 201 && code <= 299) && !(code >= 401 && code <= 499);
}

QString transportReason(QNetworkReply::NetworkError e, const QUrl& url) {
    const QString host = hostText(url);
    switch (e) {
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("服务器 %1 拒绝了连接").arg(host);
    case QNetworkReply::HostNotFoundError: return QStringLiteral("找不到服务器 %1").arg(host);
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("服务器 %1 中途断开了连接").arg(host);
    case QNetworkReply::TimeoutError: return QStringLiteral("连接服务器 %1 超时").arg(host);
    case QNetworkReply::OperationCanceledError: return QStringLiteral("请求被取消了");
    case QNetworkReply::SslHandshakeFailedError: return QStringLiteral("无法与服务器 %1 建立安全连接").arg(host);
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError: return QStringLiteral("网络暂时不通");
    case QNetworkReply::TooManyRedirectsError: return QStringLiteral("服务器转向的次数太多");
    case QNetworkReply::InsecureRedirectError: return QStringLiteral("服务器把请求转向了不安全的地址");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError: return QStringLiteral("无法通过代理服务器连接");
    case QNetworkReply::ProtocolUnknownError: return QStringLiteral("不支持这种网址：%1").arg(url.scheme());
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::ProtocolFailure: return QStringLiteral("服务器的回应不符合 HTTP 协议");
    default: break;
    }
    return QStringLiteral("网络出错（代码 %1）").arg(int(e));
}

int httpStatus(const QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QByteArray declaredCharset(const QNetworkReply* reply) {
    const QByteArray type = reply->rawHeader("Content-Type");
    for (const QByteArray& part : type.split(';')) {
        const QByteArray p = part.trimmed();
        const qsizetype eq = p.indexOf('=');
        if (eq < 0 || p.left(eq).trimmed().toLower() != "charset") continue;
        QByteArray value = p.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) value = value.mid(1, value.size() - 2);
        return value.trimmed().toLower();
    }
    return {};
}

// Chinese services declare GB2312 but send GBK: GBK (a superset) reads both.
// An unknown name falls back to UTF-8 rather than losing the reply.
QString decodeReply(const QByteArray& bytes, QByteArray charset) {
    if (charset == "gb2312" || charset == "gbk" || charset == "x-gbk" || charset == "cp936" ||
        charset == "windows-936" || charset == "euc-cn")
        charset = "GBK";
    QStringDecoder decoder;
    if (!charset.isEmpty()) decoder = QStringDecoder(charset.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) decoder = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace

QString serviceBaseUrl() {
    QMutexLocker lock(&g_baseUrlMutex);
    return g_baseUrl;
}

void setServiceBaseUrl(const QString& url) {
    // Endpoint paths are appended as text: anything but a web address ending
    // in "/" would make them land somewhere else.
    const QUrl parsed(url, QUrl::StrictMode);
    if (!isWebUrl(parsed) || !url.endsWith(u'/') || parsed.hasQuery() || parsed.hasFragment()) return;
    QMutexLocker lock(&g_baseUrlMutex);
    g_baseUrl = url;
}

int requestTimeoutMs() { return g_timeoutMs; }

void setRequestTimeoutMs(int ms) {
    if (ms > 0) g_timeoutMs = ms;
}

QString encodeFormValue(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

Exchange PostForm(const QString& endpointPath, const QString& body) {
    if (!QCoreApplication::instance()) return {{}, kNoEventLoop};
    const QUrl url(serviceBaseUrl() + endpointPath);
    const QByteArray data = body.toUtf8();
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", "ReelsketchMakerUser");
    request.setRawHeader("Content-Length", QByteArray::number(data.size()));
    // The service's historical header; the body is UTF-8 all the same.
    request.setRawHeader("Content-Type", "application/x-www-form-urlencoded; charset=GB2312");

    const int timeoutMs = requestTimeoutMs();
    ReplyPtr reply(manager()->post(request, data));
    bool tooLarge = false;
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(), [&](qint64 received, qint64) {
        if (received <= kMaxReplyBytes || tooLarge) return;
        tooLarge = true;
        reply->abort();
    });
    if (waitFor(reply.get(), timeoutMs, false))
        return {{}, QStringLiteral("服务器没有在 %1 秒内回应").arg(secondsText(timeoutMs))};
    if (tooLarge) return {{}, QStringLiteral("服务器的回应太大（超过 %1 MB），不是有效的数据").arg(kMaxReplyBytes >> 20)};
    if (isTransportFailure(reply->error())) return {{}, transportReason(reply->error(), url)};

    // The status code is not judged here: a JSON object is the service's
    // answer whatever the code, and the caller reads its "status".
    const JsonValue root = JSON::Parse(decodeReply(reply->readAll(), declaredCharset(reply.get())));
    if (root.isDictionary()) return {root, {}};
    const int status = httpStatus(reply.get());
    if (status < 200 || status > 299) return {{}, QStringLiteral("服务器出错了（HTTP %1）").arg(status)};
    return {{}, QStringLiteral("服务器的回应不是有效的数据")};
}

Download DownNetFile(const QString& nUrl, const QString& nFile, const DownloadCheck& check) {
    if (!QCoreApplication::instance()) return {false, kNoEventLoop};
    const QUrl url(nUrl);
    // A file: or other local URL from a reply must not copy local files.
    if (!isWebUrl(url)) return {false, QStringLiteral("图片地址无效：%1").arg(nUrl)};
    // As for every file the editor replaces: a link would be followed and the
    // file it points to, maybe far from the folder, replaced.
    if (QFileInfo(nFile).isSymLink())
        return {false, QStringLiteral("无法写入文件 %1：同名的链接挡在那里").arg(nFile)};
    if (folderExists(nFile))
        return {false, QStringLiteral("无法写入文件 %1：%2").arg(nFile, fileErrorReason(EISDIR))};

    ReplyPtr reply(manager()->get(QNetworkRequest(url)));
    PartFile file(nFile);
    QString writeError;
    qint64 written = 0;
    auto failWrite = [&] {
        const int savedErrno = errno;
        writeError = QStringLiteral("无法写入文件 %1：%2").arg(nFile, fileErrorReason(file.device(), savedErrno));
        reply->abort();
    };
    // Written as it arrives, so a large image is never held in memory whole;
    // the temporary file opens only once the reply is known to be the file.
    auto drain = [&] {
        if (!writeError.isEmpty() || httpStatus(reply.get()) != 200) {
            reply->readAll();  // an error page, read only to keep the connection
            return;
        }
        if (!file.isOpen() && !file.open()) return failWrite();
        const QByteArray chunk = reply->readAll();
        if (!file.write(chunk)) return failWrite();
        written += chunk.size();
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), drain);

    const int timeoutMs = requestTimeoutMs();
    if (waitFor(reply.get(), timeoutMs, true))
        return {false, QStringLiteral("服务器超过 %1 秒没有传来数据，下载中止").arg(secondsText(timeoutMs))};
    if (!writeError.isEmpty()) return {false, writeError};
    if (reply->error() == QNetworkReply::ProtocolUnknownError) {
        // The address was a web one: only a redirect leads elsewhere.
        const QUrl target(QString::fromUtf8(reply->rawHeader("Location")));
        if (target.isLocalFile() || target.scheme().isEmpty())
            return {false, QStringLiteral("服务器把图片地址转到了本机文件，已拒绝")};
        return {false, QStringLiteral("服务器把图片地址转到了不支持的网址（%1），已拒绝").arg(target.scheme())};
    }
    if (isTransportFailure(reply->error()))
        return {false, transportReason(reply->error(), url) + QStringLiteral("，文件没有下载完整")};
    const int status = httpStatus(reply.get());
    if (status != 200) return {false, QStringLiteral("服务器没有给出文件（HTTP %1）").arg(status)};
    drain();
    if (!writeError.isEmpty()) return {false, writeError};

    // Qt reports a connection closed early; a wrong length is checked too,
    // unless the body came compressed (the header counts the compressed bytes).
    const QVariant declared = reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (declared.isValid() && (encoding.isEmpty() || encoding == "identity") && declared.toLongLong() != written)
        return {false, QStringLiteral("文件没有下载完整（收到 %1 字节，应有 %2 字节）")
                           .arg(written)
                           .arg(declared.toLongLong())};

    if (!file.isOpen() && !file.open()) {  // an empty file is a file too
        const int savedErrno = errno;
        return {false, QStringLiteral("无法写入文件 %1：%2").arg(nFile, fileErrorReason(file.device(), savedErrno))};
    }
    if (check) {
        if (!file.flush()) {
            const int savedErrno = errno;
            return {false, QStringLiteral("无法写入文件 %1：%2").arg(nFile, fileErrorReason(file.device(), savedErrno))};
        }
        if (const QString refused = check(file.device().fileName()); !refused.isEmpty()) return {false, refused};
    }
    if (!file.commit()) {
        const int savedErrno = errno;
        return {false, QStringLiteral("无法保存文件 %1：%2").arg(nFile, fileErrorReason(savedErrno))};
    }
    return {true, {}};
}

} // namespace kinoleaf::online
