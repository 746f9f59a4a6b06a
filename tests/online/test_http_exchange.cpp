// The form post and the file download against a local server playing the
// service, its faults included.
#include "online/http_exchange.h"
#include "support/test_files.h"
#include "support/test_service.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace kinoleaf;
using kinoleaf::online::Download;
using kinoleaf::online::Exchange;
using kinoleaf::test::ServiceFault;
using kinoleaf::test::ServiceReply;
using kinoleaf::test::TestService;

Q_DECLARE_METATYPE(kinoleaf::test::ServiceReply)

namespace {

// The endpoint paths as the windows pass them.
QString endpoint(const QByteArray& target) { return QString::fromLatin1(target.mid(1)); }
const QString kSigninPath = endpoint(TestService::kSignin);
const QString kMovieListPath = endpoint(TestService::kMovieList);
const QString kMovieStoryPath = endpoint(TestService::kMovieStory);

// Short enough for the fault cases, long enough for a loaded machine to
// answer the ordinary ones.
constexpr int kTimeoutMs = 2000;
constexpr int kShortTimeoutMs = 300;

QString statusOf(const Exchange& e) {
    return e.root[QStringLiteral("status")].toNumber().toString();
}

} // namespace

class TestHttpExchange : public QObject {
    Q_OBJECT
private slots:
    void init() {
        online::setRequestTimeoutMs(kTimeoutMs);
        QVERIFY(m_service.emplace().start());
        online::setServiceBaseUrl(m_service->baseUrl());
    }
    void cleanup() { m_service.reset(); }

    void postSendsTheServiceHeadersAndUtf8Body() {
        m_service->setJson(TestService::kSignin, R"({"status":1})");
        // As the windows build it: encoded values, plus a raw pair with
        // Chinese to see how text that escaped encoding travels.
        const QString body = "username=" + online::encodeFormValue(QStringLiteral("u")) + "&password=" +
                             online::encodeFormValue(QStringLiteral("密 码&x=1")) + QStringLiteral("&note=电影");
        const Exchange e = online::PostForm(kSigninPath, body);
        QCOMPARE(e.error, QString());
        QCOMPARE(statusOf(e), QStringLiteral("1"));

        const QList<test::ServiceRequest> requests = m_service->requests();
        QCOMPARE(requests.size(), 1);
        const test::ServiceRequest& r = requests.first();
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.target, TestService::kSignin);
        QCOMPARE(r.body, body.toUtf8());
        QVERIFY(r.body.contains("&note=\xe7\x94\xb5\xe5\xbd\xb1"));
        QCOMPARE(r.header("User-Agent"), QByteArray("ReelsketchMakerUser"));
        QCOMPARE(r.header("Content-Length"), QByteArray::number(body.toUtf8().size()));
        QVERIFY(body.toUtf8().size() > body.size());  // bytes, not characters
        QCOMPARE(r.header("Content-Type"), QByteArray("application/x-www-form-urlencoded; charset=GB2312"));
        for (const char* name : {"User-Agent", "Content-Length", "Content-Type"})
            QCOMPARE(r.headerCount(name), 1);
        QCOMPARE(online::encodeFormValue(QStringLiteral("Az09-._~ a&b=c+电")),
                 QStringLiteral("Az09-._~%20a%26b%3Dc%2B%E7%94%B5"));
    }

    void noCookieOutlivesItsReply() {
        ServiceReply login;
        login.body = R"({"status":1})";
        login.extraHeaders = "Set-Cookie: PHPSESSID=first-user; Path=/\r\n";
        m_service->setReply(TestService::kSignin, login);
        m_service->setJson(TestService::kMovieList, R"({"status":1})");
        QCOMPARE(online::PostForm(kSigninPath, QStringLiteral("username=a")).error, QString());
        QCOMPARE(online::PostForm(kMovieListPath, QStringLiteral("username=b")).error, QString());
        QCOMPARE(m_service->requests().value(1).headerCount("Cookie"), 0);
    }

    void replyIsDecodedByItsDeclaredCharset_data() {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        const QString json = QStringLiteral(R"({"status":1,"msg":"欢迎回来，影片"})");
        QTest::newRow("GBK") << QByteArray("application/json; charset=GBK") << test::gbkBytes(json);
        QTest::newRow("GB2312 quoted") << QByteArray("text/html;charset=\"gb2312\"") << test::gbkBytes(json);
        QTest::newRow("none means UTF-8") << QByteArray("application/json") << json.toUtf8();
        QTest::newRow("unknown charset read as UTF-8") << QByteArray("text/plain; charset=x-nonsense")
                                                       << json.toUtf8();
    }
    void replyIsDecodedByItsDeclaredCharset() {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        ServiceReply reply;
        reply.contentType = contentType;
        reply.body = body;
        m_service->setReply(TestService::kMovieList, reply);
        const Exchange e = online::PostForm(kMovieListPath, QStringLiteral("username=u"));
        QCOMPARE(e.error, QString());
        QCOMPARE(e.root[QStringLiteral("msg")].toText(), QStringLiteral("欢迎回来，影片"));
    }

    void anObjectCountsWhateverTheStatusCode() {
        m_service->setJson(TestService::kMovieStory, R"({"status":-1})", 500);
        const Exchange e = online::PostForm(kMovieStoryPath, QStringLiteral("username=u&movieid=1"));
        QCOMPARE(e.error, QString());
        QCOMPARE(statusOf(e), QStringLiteral("-1"));
    }

    void failedExchangesGiveAnErrorAndNoRoot_data() {
        QTest::addColumn<ServiceReply>("reply");
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("500 with an HTML page")
            << TestService::html(500, "<html><body>Internal Server Error</body></html>") << QStringLiteral("HTTP 500");
        ServiceReply text;
        text.body = "abc";
        QTest::newRow("not JSON") << text << QStringLiteral("不是有效的数据");
        ServiceReply list;
        list.body = "[1,2]";
        QTest::newRow("a list, not an object") << list << QStringLiteral("不是有效的数据");
        ServiceReply dropped;
        dropped.fault = ServiceFault::Drop;
        QTest::newRow("connection dropped") << dropped << QStringLiteral("断开");
        ServiceReply cut;
        cut.body = R"({"status":1,"movies_count":0,"movies":[]})";
        cut.fault = ServiceFault::CutShort;
        QTest::newRow("body cut short") << cut << QStringLiteral("断开");
    }
    void failedExchangesGiveAnErrorAndNoRoot() {
        QFETCH(ServiceReply, reply);
        QFETCH(QString, errorPart);
        m_service->setReply(TestService::kSignin, reply);
        const Exchange e = online::PostForm(kSigninPath, QStringLiteral("username=u&password=p"));
        QVERIFY2(e.error.contains(errorPart), qPrintable(e.error));
        QVERIFY(e.root.isEmpty());
    }

    void refusedAndSilentServersGiveAnError() {
        online::setServiceBaseUrl(TestService::refusedBaseUrl());
        Exchange e = online::PostForm(kSigninPath, QStringLiteral("username=u"));
        QVERIFY2(e.error.contains(QStringLiteral("拒绝")), qPrintable(e.error));
        QVERIFY(e.root.isEmpty());

        // The stalled reply is a good one: only the time-out keeps it out.
        online::setServiceBaseUrl(m_service->baseUrl());
        online::setRequestTimeoutMs(kShortTimeoutMs);
        ServiceReply slow;
        slow.body = R"({"status":1})";
        slow.fault = ServiceFault::Stall;
        slow.stallMs = 20 * kShortTimeoutMs;
        m_service->setReply(TestService::kSignin, slow);
        e = online::PostForm(kSigninPath, QStringLiteral("username=u"));
        QCOMPARE(e.error, QStringLiteral("服务器没有在 0.3 秒内回应"));
        QVERIFY(e.root.isEmpty());

        // The next exchange is not troubled by the abandoned one.
        m_service->setJson(TestService::kMovieList, R"({"status":1})");
        online::setRequestTimeoutMs(kTimeoutMs);
        e = online::PostForm(kMovieListPath, QStringLiteral("username=u"));
        QCOMPARE(e.error, QString());
        QCOMPARE(statusOf(e), QStringLiteral("1"));
    }

    void settingsRefuseWhatWouldMisdirect() {
        const QString good = m_service->baseUrl();
        for (const char* bad : {"ftp://files.example/", "http://no.slash.example", "file:///tmp/", "http://q.example/?a=/"}) {
            online::setServiceBaseUrl(QString::fromLatin1(bad));
            QCOMPARE(online::serviceBaseUrl(), good);
        }
        online::setRequestTimeoutMs(0);
        QCOMPARE(online::requestTimeoutMs(), kTimeoutMs);
    }

    void downloadWritesOnlyACompleteFile() {
        QTemporaryDir dir;
        QByteArray image(150 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(image.data()), image.size() / 4);
        ServiceReply reply;
        reply.contentType = "image/jpeg";
        reply.body = image;
        m_service->setReply("/story/1/a.jpg", reply);
        reply.body = "second";
        m_service->setReply("/story/1/b.jpg?v=2", reply);

        const QString a = dir.filePath(QStringLiteral("a.jpg"));
        test::writeBytes(dir.path(), QStringLiteral("a.jpg"), "old");
        Download d = online::DownNetFile(m_service->url("/story/1/a.jpg"), a);
        QCOMPARE(d.error, QString());
        QVERIFY(d.ok);
        QCOMPARE(test::readBytes(a), image);  // replaced by the complete download

        d = online::DownNetFile(m_service->url("story/1/b.jpg?v=2"), dir.filePath(QStringLiteral("b.jpg")));
        QVERIFY(d.ok);
        QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("b.jpg"))), QByteArray("second"));
        reply.body.clear();
        m_service->setReply("/empty.jpg", reply);
        QVERIFY(online::DownNetFile(m_service->url("empty.jpg"), dir.filePath(QStringLiteral("e.jpg"))).ok);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("e.jpg"))).isFile());

        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"a.jpg", "b.jpg", "e.jpg"}));  // no temporary file left
        const QList<test::ServiceRequest> requests = m_service->requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests[0].method, QByteArray("GET"));
        QCOMPARE(requests[1].target, QByteArray("/story/1/b.jpg?v=2"));
        QVERIFY(requests[0].header("User-Agent") != "ReelsketchMakerUser");
        QCOMPARE(requests[0].headerCount("Content-Type"), 0);
        // One connection serves a whole story, as it would serve hundreds of pages.
        QCOMPARE(m_service->connectionsAccepted(), 1);
    }

    void failedDownloadsLeaveFilesAlone_data() {
        QTest::addColumn<ServiceReply>("reply");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("404 page") << TestService::html(404, "<h1>Not Found</h1>") << false << QStringLiteral("HTTP 404");
        ServiceReply partial;
        partial.contentType = "image/jpeg";
        partial.body = QByteArray(64 * 1024, 'x');
        ServiceReply status204 = partial;
        status204.status = 204;
        status204.body.clear();
        QTest::newRow("204, not the file") << status204 << false << QStringLiteral("HTTP 204");
        partial.fault = ServiceFault::CutShort;
        QTest::newRow("cut short") << partial << false << QStringLiteral("没有下载完整");
        partial.fault = ServiceFault::Drop;
        QTest::newRow("dropped") << partial << false << QStringLiteral("断开");
        partial.fault = ServiceFault::Stall;
        partial.stallMs = 20 * kShortTimeoutMs;
        QTest::newRow("silent") << partial << false << QStringLiteral("0.3 秒");
        QTest::newRow("refused") << ServiceReply() << true << QStringLiteral("拒绝");
    }
    void failedDownloadsLeaveFilesAlone() {
        QFETCH(ServiceReply, reply);
        QFETCH(bool, refused);
        QFETCH(QString, errorPart);
        online::setRequestTimeoutMs(kShortTimeoutMs);
        m_service->setReply("/p.jpg", reply);
        const QString url = refused ? TestService::refusedBaseUrl() + "p.jpg" : m_service->url("p.jpg");
        QTemporaryDir dir;
        test::writeBytes(dir.path(), QStringLiteral("old.jpg"), "old picture");

        Download d = online::DownNetFile(url, dir.filePath(QStringLiteral("old.jpg")));
        QVERIFY(!d.ok);
        QVERIFY2(d.error.contains(errorPart), qPrintable(d.error));
        QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("old.jpg"))), QByteArray("old picture"));

        d = online::DownNetFile(url, dir.filePath(QStringLiteral("new.jpg")));
        QVERIFY(!d.ok);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"old.jpg"}));
    }

    void downloadRefusesWhatIsNoWebFile() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("x.jpg"));
        // A reply naming a local file must not copy it into the movie.
        for (const QString& url : {QStringLiteral("file:///etc/hostname"), QStringLiteral("x.jpg"), QString()}) {
            const Download d = online::DownNetFile(url, target);
            QVERIFY(!d.ok);
            QVERIFY2(d.error.startsWith(QStringLiteral("图片地址无效")), qPrintable(d.error));
        }
        ServiceReply reply;
        reply.body = "data";
        m_service->setReply("/x.jpg", reply);
        Download d = online::DownNetFile(m_service->url("x.jpg"), dir.filePath(QStringLiteral("no/such/x.jpg")));
        QVERIFY(!d.ok);
        QVERIFY2(d.error.startsWith(QStringLiteral("无法写入文件")), qPrintable(d.error));
        QVERIFY(QDir(dir.path()).isEmpty());

        // What stands in the way stays as it is.
        QTemporaryDir elsewhere;
        const QString outside = test::writeBytes(elsewhere.path(), QStringLiteral("keep.txt"), "keep");
        QVERIFY(QFile::link(outside, target));
        d = online::DownNetFile(m_service->url("x.jpg"), target);
        QVERIFY2(d.error.contains(QStringLiteral("链接")), qPrintable(d.error));
        QCOMPARE(test::readBytes(outside), QByteArray("keep"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("y.jpg"))));
        d = online::DownNetFile(m_service->url("x.jpg"), dir.filePath(QStringLiteral("y.jpg")));
        QVERIFY2(d.error.contains(QStringLiteral("文件夹")), qPrintable(d.error));
    }

private:
    std::optional<TestService> m_service;
};

QTEST_GUILESS_MAIN(TestHttpExchange)

#include "test_http_exchange.moc"
