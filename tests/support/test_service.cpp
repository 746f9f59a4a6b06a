#include "support/test_service.h"

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
#endif

namespace kinoleaf::test {

namespace {

QByteArray normalTarget(const QByteArray& target) {
    return target.startsWith('/') ? target : '/' + target;
}

// Clients read the code; the phrase is only for people reading traces.
QByteArray reasonPhrase(int status) {
    return status == 200 ? "OK" : status == 404 ? "Not Found" : status == 500 ? "Internal Server Error" : "Status";
}

// A request header block larger than this is no client of ours.
constexpr qsizetype kMaxHead = 64 * 1024;

} // namespace

QByteArray ServiceRequest::header(const QByteArray& name) const {
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
    return {};
}

int ServiceRequest::headerCount(const QByteArray& name) const {
    int n = 0;
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) ++n;
    return n;
}

struct TestService::Private {
    // Shared with the serving thread.
    mutable QMutex mutex;
    QHash<QByteArray, ServiceReply> replies;
    QList<ServiceRequest> requests;
    int connections = 0;

    // Owned by the serving thread.
    QTcpServer* server = nullptr;
    quint16 port = 0;
    QThread* thread = nullptr;
    QObject* anchor = nullptr;  // lives in thread, to run code there
#ifdef Q_OS_UNIX
    pthread_t servingThread{};
#endif

    struct Connection {
        QPointer<QTcpSocket> socket;
        QByteArray buffer;
        bool waiting = false;  // a stalled reply is pending; later requests queue up
    };

    bool listen() {
        server = new QTcpServer;
#ifdef Q_OS_UNIX
        servingThread = pthread_self();
#endif
        QObject::connect(server, &QTcpServer::newConnection, server, [this] {
            while (QTcpSocket* socket = server->nextPendingConnection()) accept(socket);
        });
        if (!server->listen(QHostAddress::LocalHost, 0)) return false;
        port = server->serverPort();
        return true;
    }

    void accept(QTcpSocket* socket) {
        {
            QMutexLocker lock(&mutex);
            ++connections;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto conn = std::make_shared<Connection>();
        conn->socket = socket;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, conn] { serve(conn); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    ServiceReply replyFor(const QByteArray& target) {
        QMutexLocker lock(&mutex);
        auto it = replies.constFind(target);
        if (it == replies.cend()) it = replies.constFind(target.left(target.indexOf('?')));
        if (it != replies.cend()) return *it;
        return TestService::html(404, "<html><body><h1>404 Not Found</h1></body></html>");
    }

    // Answers every complete request in the buffer, in order.
    void serve(const std::shared_ptr<Connection>& connection) {
        Connection& conn = *connection;
        if (!conn.socket) return;
        conn.buffer += conn.socket->readAll();
        while (!conn.waiting && conn.socket && conn.socket->state() == QAbstractSocket::ConnectedState) {
            const qsizetype headEnd = conn.buffer.indexOf("\r\n\r\n");
            if (headEnd < 0) {
                if (conn.buffer.size() > kMaxHead) conn.socket->abort();
                return;
            }
            ServiceRequest request;
            const QList<QByteArray> lines = conn.buffer.left(headEnd).split('\n');
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            request.method = requestLine.value(0);
            request.target = requestLine.value(1);
            const QByteArray version = requestLine.value(2);
            qint64 length = 0;
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines[i].trimmed();
                const qsizetype colon = line.indexOf(':');
                if (colon <= 0) continue;
                request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            }
            length = request.header("Content-Length").toLongLong();
            const qsizetype total = headEnd + 4 + qsizetype(length);
            if (conn.buffer.size() < total) return;  // the body is still coming
            request.body = conn.buffer.mid(headEnd + 4, qsizetype(length));
            conn.buffer.remove(0, total);

            const QByteArray connectionHeader = request.header("Connection").toLower();
            const bool close = connectionHeader == "close" || (version == "HTTP/1.0" && connectionHeader != "keep-alive");
            const ServiceReply reply = replyFor(request.target);
            {
                QMutexLocker lock(&mutex);
                requests.append(std::move(request));
            }
            respond(connection, reply, close);
        }
    }

    void respond(const std::shared_ptr<Connection>& conn, const ServiceReply& reply, bool close) {
        QTcpSocket* socket = conn->socket;
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
        switch (reply.fault) {
        case ServiceFault::Drop:
            socket->disconnectFromHost();
            return;
        case ServiceFault::Stall:
            conn->waiting = true;
            QTimer::singleShot(reply.stallMs, socket, [this, conn, reply, close] {
                ServiceReply now = reply;
                now.fault = ServiceFault::None;
                conn->waiting = false;
                respond(conn, now, close);
                serve(conn);
            });
            return;
        case ServiceFault::CutShort:
        case ServiceFault::None: break;
        }
        const bool cut = reply.fault == ServiceFault::CutShort;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
        if (!reply.contentType.isEmpty()) head += "Content-Type: " + reply.contentType + "\r\n";
        head += reply.extraHeaders;
        head += "Content-Length: " + QByteArray::number(cut ? std::max<qsizetype>(reply.body.size(), 1) : reply.body.size()) + "\r\n";
        head += close || cut ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
        socket->write(head);
        socket->write(cut ? reply.body.left(reply.body.size() / 2) : reply.body);
        if (close || cut) socket->disconnectFromHost();  // after what was written has gone out
    }
};

TestService::TestService() : d(std::make_unique<Private>()) {}

TestService::~TestService() {
    if (d->thread) {
        QMetaObject::invokeMethod(d->anchor, [this] { delete d->server; }, Qt::BlockingQueuedConnection);
        d->thread->quit();
        d->thread->wait();
        delete d->anchor;
        delete d->thread;
    } else {
        delete d->server;
    }
}

bool TestService::start() {
    return d->listen();
}

bool TestService::startInThread() {
    d->thread = new QThread;
    d->thread->setObjectName(QStringLiteral("TestService"));
    d->anchor = new QObject;
    d->anchor->moveToThread(d->thread);
    d->thread->start();
    bool ok = false;
    QMetaObject::invokeMethod(d->anchor, [&] { ok = d->listen(); }, Qt::BlockingQueuedConnection);
    return ok;
}

quint16 TestService::port() const { return d->port; }

QString TestService::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(d->port);
}

QString TestService::url(const QByteArray& target) const {
    return baseUrl() + QString::fromUtf8(normalTarget(target).mid(1));
}

void TestService::setReply(const QByteArray& target, const ServiceReply& reply) {
    QMutexLocker lock(&d->mutex);
    d->replies.insert(normalTarget(target), reply);
}

void TestService::setJson(const QByteArray& target, const QByteArray& json, int status) {
    ServiceReply reply;
    reply.status = status;
    reply.body = json;
    setReply(target, reply);
}

ServiceReply TestService::html(int status, const QByteArray& page) {
    ServiceReply reply;
    reply.status = status;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = page;
    return reply;
}

QList<ServiceRequest> TestService::requests() const {
    QMutexLocker lock(&d->mutex);
    return d->requests;
}

void TestService::clearRequests() {
    QMutexLocker lock(&d->mutex);
    d->requests.clear();
}

int TestService::connectionsAccepted() const {
    QMutexLocker lock(&d->mutex);
    return d->connections;
}

double TestService::threadCpuMs() const {
#ifdef Q_OS_UNIX
    clockid_t clock{};
    timespec t{};
    if (pthread_getcpuclockid(d->servingThread, &clock) != 0 || clock_gettime(clock, &t) != 0) return 0;
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
#else
    return 0;
#endif
}

QString TestService::refusedBaseUrl() {
#ifdef Q_OS_UNIX
    // A socket bound but never listening holds the port, so no one else can
    // take it, and every connection to it is refused.
    static const quint16 port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t size = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            qFatal("TestService: cannot reserve a port");
        return quint16(ntohs(address.sin_port));  // fd stays open for the whole run
    }();
#else
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
#endif
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

} // namespace kinoleaf::test
