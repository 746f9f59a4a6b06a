#pragma once
// A small HTTP/1.1 server on 127.0.0.1 that plays the online service for
// tests and benchmarks: a canned reply per path, every request recorded,
// and the faults a real network shows (error pages, bodies cut short,
// replies too slow, connections dropped or refused).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

namespace kinoleaf::test {

struct ServiceRequest {
    QByteArray method;
    QByteArray target;  // path with query, as sent: "/BackStage2/vbser/Signin.php"
    QList<QPair<QByteArray, QByteArray>> headers;  // in the order sent
    QByteArray body;

    // The value of the first header of that name (letter case ignored);
    // "" when there is none.
    QByteArray header(const QByteArray& name) const;
    int headerCount(const QByteArray& name) const;
};

enum class ServiceFault {
    None,
    CutShort,  // Content-Length of the whole body, half of it sent, then the connection closes
    Stall,     // the reply goes out only after stallMs
    Drop,      // the connection closes without a reply
};

struct ServiceReply {
    int status = 200;
    QByteArray contentType = "application/json; charset=utf-8";  // no header when empty
    QByteArray body;
    ServiceFault fault = ServiceFault::None;
    int stallMs = 2000;
    QByteArray extraHeaders = {};  // whole lines, each ended by CR LF
};

class TestService {
public:
    static inline const QByteArray kSignin = "/BackStage2/vbser/Signin.php";
    static inline const QByteArray kMovieList = "/BackStage2/vbser/GetMovieList.php";
    static inline const QByteArray kMovieStory = "/BackStage2/vbser/GetMovieStory.php";

    TestService();
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    // Serves from the current thread: requests are answered while its event
    // loop runs (the local loop of a synchronous exchange counts).
    bool start();
    // Serves from a thread of its own, for a client that blocks its thread
    // or runs in another process.
    bool startInThread();

    quint16 port() const;
    QString baseUrl() const;                   // "http://127.0.0.1:<port>/"
    QString url(const QByteArray& target) const;  // target with or without leading "/"

    // The reply for a target (path, or path with query; an exact match with
    // the query wins). Unknown targets get 404 with an HTML page.
    void setReply(const QByteArray& target, const ServiceReply& reply);
    void setJson(const QByteArray& target, const QByteArray& json, int status = 200);
    static ServiceReply html(int status, const QByteArray& page);

    QList<ServiceRequest> requests() const;
    void clearRequests();
    int connectionsAccepted() const;
    // CPU time of the thread that serves, for benchmarks to subtract.
    double threadCpuMs() const;

    // An address on a port that refuses every connection.
    static QString refusedBaseUrl();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace kinoleaf::test
