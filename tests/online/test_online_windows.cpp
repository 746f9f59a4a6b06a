// The login and movie list windows against a local stand-in for the
// service: what each request carries, what each reply does to the windows,
// and the story download into a real folder, faults included.

#include "../editor/editor_fixture.h"
#include "editor/FolderPickerWnd.h"
#include "editor/LoadingWnd.h"
#include "online/ServerLoginWnd.h"
#include "online/ServerMovieListWnd.h"
#include "online/http_exchange.h"
#include "platform/date_text.h"
#include "platform/dir_list_box.h"
#include "support/image_samples.h"
#include "support/test_files.h"
#include "support/test_service.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

const QString kExpired = QStringLiteral("用户登陆已超时，请重新登陆>_<!");
const QString kConnect = QStringLiteral("连接服务器失败：");  // the exchange's own words follow
const QByteArray kOldScript = "old.jpg :old\r\n";
const QByteArray kHtml500 = "<html><body>Internal error</body></html>";

QMap<QString, QString> pairsOf(const QByteArray& body) {
    QMap<QString, QString> pairs;
    for (const QByteArray& pair : body.split('&'))
        pairs.insert(pair.left(pair.indexOf('=')), QUrl::fromPercentEncoding(pair.mid(pair.indexOf('=') + 1)));
    return pairs;
}

QByteArray json(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

struct OnlineFixture : EditorFixture {
    TestService service;
    QString target;  // the download folder

    OnlineFixture() {
        QVERIFY(service.start());
        online::setServiceBaseUrl(service.baseUrl());
        online::setRequestTimeoutMs(3000);
        setClock([] { return QDate(2026, 12, 8); });
        QDir().mkpath(target = root.filePath("dl"));
    }
    ~OnlineFixture() { setClock({}); }

    ServerLoginWnd* login() const { return wnd->loginWnd(); }
    ServerMovieListWnd* list() const { return wnd->movieListWnd(); }
    QList<QByteArray> bodiesTo(const QByteArray& path) const {
        QList<QByteArray> out;
        for (const ServiceRequest& r : service.requests())
            if (r.target == path) out.append(r.body);
        return out;
    }
    // Logged in as u, the list showing the rows, row 0 selected.
    void showList(const QStringList& rows = {}) {
        login()->login_UserName = "u";
        wnd->BtnLinkServer_Click();
        list()->ListMovies->addItems(rows);
        list()->ListMovies->setCurrentRow(0);
    }
    QStringList movieRows() const {
        QStringList out;
        for (int i = 0; i < list()->ListMovies->count(); ++i) out << list()->ListMovies->item(i)->text();
        return out;
    }
    // Pages of (image path on the service or "" for none, intro or null).
    void setStory(int count, const QList<QPair<QByteArray, QJsonValue>>& pages) {
        QJsonArray story;
        for (const auto& [path, intro] : pages) {
            QJsonObject item{{"intro", intro}};
            if (!path.isEmpty()) item["image"] = service.url(path);
            story.append(item);
        }
        service.setJson(TestService::kMovieStory, json({{"status", 1}, {"pages_count", count}, {"story", story}}));
    }
    // A small picture that carries a tag after its end, as the service's
    // images stand in the tests.
    static QByteArray picture(const QByteArray& tag) {
        static const QByteArray png = encoded(QImage(2, 2, QImage::Format_RGB32), "png");
        return png + tag;
    }
    void setImage(const QByteArray& path, const QByteArray& tag, ServiceFault fault = ServiceFault::None) {
        service.setReply(path, {200, "image/jpeg", picture(tag), fault});
    }
    QByteArray script() const { return readBytes(target + "/ReelsketchScript.txt"); }
    // The run is over: no progress, no picker, the list usable.
    void verifySettled() const {
        QVERIFY(!wnd->loadingWnd()->isVisible() && list()->isEnabled());
        QVERIFY(!list()->serverDownSaveWnd() || !list()->serverDownSaveWnd()->isVisible());
    }
    // The one message shown, or its lead when the expected text ends in "：".
    void verifyMessage(const QString& expected) {
        QCOMPARE(dialogs.shown().size(), 1);
        const QString shown = dialogs.shown()[0].text;
        if (!expected.endsWith(u'：')) QCOMPARE(shown, expected);
        else QVERIFY2(shown.startsWith(expected) && shown.size() > expected.size(), qPrintable(shown));
    }
};

} // namespace

class TestOnlineWindows : public QObject {
    Q_OBJECT
private slots:
    void login() {
        OnlineFixture f;
        f.service.setJson(TestService::kSignin, R"({"status":1})");  // nothing else needed
        f.wnd->BtnLinkServer_Click();
        QVERIFY(f.login()->isVisible() && !f.wnd->isEnabled());
        f.dialogs.expectMessage(QStringLiteral("用户名不能为空哟~")).expectMessage(QStringLiteral("密码不能为空哟~"));
        f.login()->TextUserPwd->setText("p&w=1 ");
        f.login()->BtnOk->click();
        f.login()->TextUserId->setText(" u&v ");
        f.login()->TextUserPwd->clear();
        f.login()->BtnOk->click();
        QVERIFY(f.service.requests().isEmpty());
        f.login()->TextUserPwd->setText("p&w=1 ");
        f.login()->BtnOk->click();
        QCOMPARE(pairsOf(f.bodiesTo(TestService::kSignin).value(0)),
                 (QMap<QString, QString>{{"username", " u&v "}, {"password", "p&w=1 "}}));
        QCOMPARE(f.login()->login_UserName, QStringLiteral(" u&v "));
        QCOMPARE(f.list()->LabelWelcomeMsg->text(),
                 QStringLiteral("欢迎回来~！ u&v ，今天是") + shortDateText(QDate(2026, 12, 8)));
        QVERIFY(f.list()->isVisible() && !f.login()->isVisible() && f.wnd->isEnabled());
        // logged in, the connect button goes to the list; logging out back
        f.list()->close();
        f.wnd->BtnLinkServer_Click();
        QVERIFY(f.list()->isVisible() && !f.login()->isVisible());
        f.list()->BtnLogOut->click();
        QVERIFY(f.login()->login_UserName.isEmpty() && f.login()->isVisible() && !f.list()->isVisible());
        VERIFY_DIALOGS(f.dialogs);
    }

    void search_data() {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("now");
        QTest::addColumn<bool>("previous");
        QTest::addColumn<bool>("next");
        QTest::newRow("one page") << 1 << 1 << false << false;
        QTest::newRow("page 2 of 3") << 3 << 2 << true << true;
        QTest::newRow("page 3 of 3") << 3 << 3 << true << false;
    }
    void search() {
        QFETCH(int, total);
        QFETCH(int, now);
        QFETCH(bool, previous);
        QFETCH(bool, next);
        OnlineFixture f;
        f.showList({"old"});
        f.service.setJson(TestService::kMovieList,
                          json({{"status", 1}, {"movies_count", 2}, {"movies", QJsonArray{"12 | 甲", "13 | 乙", "14"}},
                                {"pages_total", total}, {"pages_now", now}, {"movies_total", 25}}));
        f.list()->BtnSerStart->click();
        QCOMPARE(f.movieRows(), (QStringList{"12 | 甲", "13 | 乙"}));
        QCOMPARE(f.list()->LabelPageMsg->text(), QStringLiteral("共有影片：25部，页：%1 / %2").arg(now).arg(total));
        QVERIFY(f.list()->BtnPerPage->isEnabled() == previous && f.list()->BtnNextPage->isEnabled() == next);
        // name ab, genres 2 and 34, the last region, ascending; no movies
        f.service.setJson(TestService::kMovieList, R"({"status":1,"movies_count":0,"movies":[]})");
        f.list()->SerMvName->setText("ab");
        f.list()->SerMvTag(2)->setChecked(true);
        f.list()->findChild<QCheckBox*>("SerMvTag_34")->setChecked(true);
        f.list()->SerMvZone->setCurrentIndex(12);
        f.list()->SerMvQueryOrder->setCurrentIndex(1);
        f.list()->BtnSerStart->click();
        QVERIFY(f.movieRows().isEmpty() && !f.list()->BtnPerPage->isEnabled() && !f.list()->BtnNextPage->isEnabled());
        QCOMPARE(f.list()->LabelPageMsg->text(), QStringLiteral("共有影片：0部，页：0 / 0"));
        f.list()->BtnSerBack->click();
        f.list()->BtnSerStart->click();
        const QByteArray defaults = "username=u&sea_line=0&sea_plat=0&sea_jian=0&sea_hot=0&sea_h18=0&sea_zone=0"
                                    "&sea_tag=0&sea_ot=0&sea_od=0";
        QCOMPARE(f.bodiesTo(TestService::kMovieList),
                 (QList<QByteArray>{defaults,
                                    "username=u&sea_name=ab&sea_line=0&sea_plat=0&sea_jian=0&sea_hot=0&sea_h18=0"
                                    "&sea_zone=12&sea_tag=0,2,34&sea_ot=0&sea_od=1",
                                    defaults}));
        QCOMPARE(f.list()->lastQuery.toUtf8(), defaults);
    }

    void downloadThroughThePicker() {
        OnlineFixture f;
        f.showList({"1234 | 标题"});
        f.setStory(3, {{"/s/a.jpg", "x"}, {"/s/b.jpg", ""}, {"/s/c.jpg", "z"}});
        for (const char* name : {"a", "b", "c"}) f.setImage(QByteArray("/s/") + name + ".jpg", name);
        QStringList progress;
        QObject::connect(f.list(), &ServerMovieListWnd::downloadingPage, f.list(),
                         [&](int, int) { progress << f.wnd->loadingWnd()->LabelNumber->text(); });
        f.list()->ListMovies->clearSelection();
        f.dialogs.expectMessage(QStringLiteral("没有选中影片啊~"));
        f.list()->BtnStartDownload->click();
        // no folder loaded: the picker opens at home, the list waits
        f.list()->ListMovies->setCurrentRow(0);
        f.list()->BtnStartDownload->click();
        FolderPickerWnd* picker = f.list()->serverDownSaveWnd();
        QVERIFY(picker && picker->isVisible() && !f.list()->isEnabled());
        QCOMPARE(picker->DirList->path(), QDir::homePath());
        QVERIFY(picker->DirList->setPath(f.target));
        f.dialogs.expectMessage(QStringLiteral("下载完成！共计：3 张"));
        picker->BtnOk->click();
        QCOMPARE(f.bodiesTo(TestService::kMovieStory), QList<QByteArray>{"username=u&movieid=1234"});
        QCOMPARE(f.script(), QByteArray("a.jpg :x\r\nb.jpg :\r\nc.jpg :z\r\n"));
        for (const char* name : {"a", "b", "c"}) QCOMPARE(readBytes(f.target + "/" + name + ".jpg"), f.picture(name));
        QCOMPARE(progress, (QStringList{"33%", "66%", "100%"}));
        QCOMPARE(f.wnd->loadingWnd()->TextLoadMsg->text(),
                 QStringLiteral("影片下载中，请稍候...\r\n影片解说读取成功！开始下载..."));
        f.verifySettled();
        // the picker opens at the movie loaded, and refuses it: the story's
        // script would replace the one being edited
        const QString movie = f.makeMovie("m", {"p.jpg"}, QStringList{"p.jpg :mine"});
        f.open(movie);
        f.list()->BtnStartDownload->click();
        QCOMPARE(picker->DirList->path(), movie);
        f.dialogs.expectMessage(QStringLiteral("不能下载到正在编辑的影片文件夹，请选择别的文件夹。"));
        picker->BtnOk->click();
        QVERIFY(picker->isVisible() && !f.list()->isEnabled());
        picker->BtnCancel->click();
        QVERIFY(f.list()->isEnabled() && f.bodiesTo(TestService::kMovieStory).size() == 1);
        QCOMPARE(readBytes(movie + "/ReelsketchScript.txt"), QByteArray("p.jpg :mine\r\n"));
        VERIFY_DIALOGS(f.dialogs);
    }

    // Every request failing in every way: the message, and nothing lost.
    void failures_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("reply");  // empty: the connection is refused
        QTest::addColumn<int>("httpStatus");
        QTest::addColumn<QString>("message");
        const QByteArray in = TestService::kSignin, search = TestService::kMovieList, story = TestService::kMovieStory;
        const QString wrong = QStringLiteral("用户名或密码错，登陆失败鸟>_<!");
        const QString searchFailed = QStringLiteral("查询失败>_<!"), storyFailed = QStringLiteral("影片解说读取失败>_<!");
        QTest::newRow("login, no status") << in << QByteArray(R"({"user":"u"})") << 200 << wrong;
        QTest::newRow("login, status 0") << in << QByteArray(R"({"status":0})") << 200 << wrong;
        QTest::newRow("login, html 500") << in << kHtml500 << 500 << kConnect;
        QTest::newRow("login, refused") << in << QByteArray() << 200 << kConnect;
        QTest::newRow("search, status 0") << search << QByteArray(R"({"status":0,"movies_count":1,"movies":["x"]})")
                                          << 200 << searchFailed;
        QTest::newRow("search, html 500") << search << kHtml500 << 500 << kConnect;
        QTest::newRow("search, expired") << search << QByteArray(R"({"status":-1})") << 200 << kExpired;
        QTest::newRow("story, status 0") << story << QByteArray(R"({"status":0,"pages_count":1})") << 200 << storyFailed;
        QTest::newRow("story, no status") << story << QByteArray(R"({"pages_count":1,"story":[]})") << 200 << storyFailed;
        QTest::newRow("story, not json") << story << QByteArray("pages: 1") << 200 << kConnect;
        QTest::newRow("story, html 500") << story << kHtml500 << 500 << kConnect;
        QTest::newRow("story, refused") << story << QByteArray() << 200 << kConnect;
        QTest::newRow("story, expired") << story << QByteArray(R"({"status":-1,"pages_count":1})") << 200 << kExpired;
    }
    void failures() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, reply);
        QFETCH(int, httpStatus);
        QFETCH(QString, message);
        OnlineFixture f;
        f.service.setJson(path, reply, httpStatus);
        if (reply.isEmpty()) online::setServiceBaseUrl(TestService::refusedBaseUrl());
        writeBytes(f.target, "ReelsketchScript.txt", kOldScript);
        f.dialogs.expectMessage();
        if (path == TestService::kSignin) {
            f.wnd->BtnLinkServer_Click();
            f.login()->TextUserId->setText("u");
            f.login()->TextUserPwd->setText("p");
            f.login()->BtnOk->click();
            // the window stays with its texts; nobody is logged in
            QVERIFY(f.login()->isVisible() && !f.wnd->isEnabled() && !f.list()->isVisible());
            QVERIFY(f.login()->TextUserPwd->text() == "p" && f.login()->login_UserName.isEmpty());
        } else {
            f.showList({"7 | x"});
            f.list()->lastQuery = "before";
            if (path == TestService::kMovieList) f.list()->BtnSerStart->click();
            else f.list()->StartDownloadMovieSaveToPath(f.target);
            QVERIFY(f.movieRows() == QStringList{"7 | x"} && f.list()->lastQuery == "before");
            QCOMPARE(QDir(f.target).entryList(QDir::Files), QStringList{"ReelsketchScript.txt"});
            QCOMPARE(f.script(), kOldScript);
            f.verifySettled();
            // an expired login goes back to the login window
            const bool expired = message == kExpired;
            QCOMPARE(f.login()->login_UserName.isEmpty(), expired);
            QVERIFY(f.login()->isVisible() == expired && f.list()->isVisible() != expired);
        }
        f.verifyMessage(message);
    }

    void imagesThatFailAreCountedAndTheirLinesStay() {
        OnlineFixture f;
        f.showList({"7"});
        // b is cut short, e is not on the service, page 4 has no image and
        // page 6 is announced but not sent
        f.setStory(6, {{"/s/a.jpg", "1"}, {"/s/b.jpg", "2"}, {"/s/c.jpg", QJsonValue::Null}, {"", "4"},
                       {"/s/e.jpg", "line\r\nbreak"}});
        f.setImage("/s/a.jpg", "AAA");
        f.setImage("/s/b.jpg", QByteArray(4000, 'b'), ServiceFault::CutShort);
        f.setImage("/s/c.jpg", "CCC");
        writeBytes(f.target, "b.jpg", "old b");
        f.dialogs.expectMessage();
        f.list()->StartDownloadMovieSaveToPath(f.target);
        QCOMPARE(f.script(), QByteArray("a.jpg :1\r\nb.jpg :2\r\nc.jpg :\r\ne.jpg :line  break\r\n"));
        QVERIFY(readBytes(f.target + "/a.jpg") == f.picture("AAA") && readBytes(f.target + "/c.jpg") == f.picture("CCC"));
        QCOMPARE(readBytes(f.target + "/b.jpg"), QByteArray("old b"));  // never half replaced
        QVERIFY(!QFile::exists(f.target + "/e.jpg"));
        // one closing message: the count, then what did not arrive
        const QStringList report = f.dialogs.shownTexts().value(0).split(u'\n');
        QCOMPARE(report.size(), 7);
        QCOMPARE(report.mid(0, 3), (QStringList{"下载完成！共计：6 张", "", "有 4 张图片没能下载："}));
        QVERIFY2(report[3].startsWith(QStringLiteral("b.jpg：")) && report[3].size() > 6, qPrintable(report[3]));
        QCOMPARE(report[4], QStringLiteral("第 4 页：服务器没有给出图片地址"));
        QVERIFY2(report[5].startsWith(QStringLiteral("e.jpg：")) && report[5].size() > 6, qPrintable(report[5]));
        QCOMPARE(report[6], QStringLiteral("第 6 页：服务器的影片解说里没有这一页"));
        f.verifySettled();
        // an empty story still writes its (empty) script
        f.setStory(0, {});
        f.dialogs.expectMessage(QStringLiteral("下载完成！共计：0 张"));
        f.list()->StartDownloadMovieSaveToPath(f.target);
        QVERIFY(QFile::exists(f.target + "/ReelsketchScript.txt") && f.script().isEmpty());
        // a script that cannot be written is in the closing message, the images stay
        const QString blocked = f.root.filePath("blocked");
        QVERIFY(QDir().mkpath(blocked + "/ReelsketchScript.txt"));
        f.setStory(1, {{"/s/a.jpg", "1"}});
        f.dialogs.expectMessage();
        f.list()->StartDownloadMovieSaveToPath(blocked);
        const QString closing = f.dialogs.shownTexts().constLast();
        QVERIFY2(closing.startsWith(QStringLiteral("下载完成！共计：1 张\n\n脚本文件没能写入：")), qPrintable(closing));
        QCOMPARE(readBytes(blocked + "/a.jpg"), f.picture("AAA"));
        f.verifySettled();
        VERIFY_DIALOGS(f.dialogs);
    }

    // A 200 that is no picture (a login page, a portal) and a redirect to
    // a local file are failures: nothing is written, an old image stays.
    void repliesThatAreNoPictureAreRefused() {
        OnlineFixture f;
        f.showList({"7"});
        f.setStory(2, {{"/s/a.jpg", "1"}, {"/s/b.jpg", "2"}});
        f.service.setReply("/s/a.jpg", TestService::html(200, "<html><body>请先登录</body></html>"));
        f.service.setReply("/s/b.jpg", {302, "text/html", "", ServiceFault::None, 0, "Location: file:///etc/hostname\r\n"});
        writeBytes(f.target, "a.jpg", "old a");
        f.dialogs.expectMessage(QStringLiteral("下载完成！共计：2 张\n\n有 2 张图片没能下载：\na.jpg：不是图片\n"
                                               "b.jpg：服务器把图片地址转到了本机文件，已拒绝"));
        f.list()->StartDownloadMovieSaveToPath(f.target);
        QCOMPARE(readBytes(f.target + "/a.jpg"), QByteArray("old a"));
        QCOMPARE(QDir(f.target).entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList{"ReelsketchScript.txt", "a.jpg"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    void namesFromUrlsStayInTheFolder() {
        OnlineFixture f;
        f.showList({"7"});
        f.setStory(7, {{"/s/x/../d.jpg?v=1", "d"}, {"/s/ReelsketchScript.txt", "s"}, {"/s/..\\..\\evil.png", "e"},
                       {"/s/1/same.jpg", "first"}, {"/s/2/same.jpg", "second"}, {"/s/d.jpg?v=2", "d2"},
                       {"/s/.bashrc", "b"}});
        f.setImage("/s/d.jpg", "DDD");  // the client resolves the dots
        f.setImage("/s/ReelsketchScript.txt", "not a script");
        f.setImage("/s/..%5C..%5Cevil.png", "EEE");
        f.setImage("/s/1/same.jpg", "first");
        f.setImage("/s/2/same.jpg", "second");
        f.setImage("/s/d.jpg?v=2", "D2");  // the query tells it from d.jpg?v=1
        f.setImage("/s/.bashrc", "rm -rf");
        f.dialogs.expectMessage(QStringLiteral("下载完成！共计：7 张"));
        f.list()->StartDownloadMovieSaveToPath(f.target);
        QCOMPARE(f.script(), QByteArray("d.jpg :d\r\npage_0002.jpg :s\r\npage_0003.png :e\r\n"
                                        "same.jpg :first\r\nsame.jpg :second\r\npage_0006.jpg :d2\r\n"
                                        "page_0007.jpg :b\r\n"));
        QVERIFY(readBytes(f.target + "/d.jpg") == f.picture("DDD") && readBytes(f.target + "/page_0006.jpg") == f.picture("D2"));
        QVERIFY(readBytes(f.target + "/page_0002.jpg") == f.picture("not a script") &&
                readBytes(f.target + "/same.jpg") == f.picture("second"));
        QCOMPARE(QDir(f.target).entryList(QDir::Files, QDir::Name),
                 (QStringList{"ReelsketchScript.txt", "d.jpg", "page_0002.jpg", "page_0003.png", "page_0006.jpg",
                              "page_0007.jpg", "same.jpg"}));
        QCOMPARE(QDir(f.root.path()).entryList(QDir::Files), QStringList{});
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestOnlineWindows)
#include "test_online_windows.moc"
