// What the online windows compute without the service: local names for
// downloaded images, reply members, pages past the story, the report.

#include "online/online_logic.h"
#include "util/json.h"

#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::online;

namespace {
JsonValue parse(const char* json) { return JSON::Parse(QString::fromUtf8(json)); }
} // namespace

class TestOnlineLogic : public QObject {
    Q_OBJECT
private slots:
    void localImageName_data() {
        QTest::addColumn<QString>("fromUrl");
        QTest::addColumn<QString>("expected");  // at position 7
        QTest::newRow("plain") << "第一页.png" << "第一页.png";
        QTest::newRow("dots inside") << "a.b.JPG" << "a.b.JPG";
        QTest::newRow("hidden") << ".bashrc" << "page_0007.jpg";
        QTest::newRow("no picture") << "getpic.php" << "page_0007.jpg";
        QTest::newRow("query and fragment dropped") << "a.jpg?x=1#top" << "a.jpg";
        QTest::newRow("dot dot") << ".." << "page_0007.jpg";
        QTest::newRow("backslash, extension kept") << "..\\..\\x.PNG" << "page_0007.png";
        QTest::newRow("the script, any case") << "reelsketchSCRIPT.TXT" << "page_0007.jpg";
        QTest::newRow("row separator") << "a :b.gif" << "page_0007.gif";
        QTest::newRow("line break") << "a\r\nb.bmp" << "page_0007.bmp";
        QTest::newRow("nul") << QString("a") + QChar(0) + ".jpeg" << "page_0007.jpeg";
        QTest::newRow("not in gbk") << "😀.jpg" << "page_0007.jpg";
        QTest::newRow("too long") << QString(300, 'x') + ".jpg" << "page_0007.jpg";
    }
    void localImageName() {
        QFETCH(QString, fromUrl);
        QFETCH(QString, expected);
        QCOMPARE(online::localImageName(fromUrl, 7), expected);
    }

    void replyMembers_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("status");  // ReplyStatus
        QTest::addColumn<int>("pagesTotal");
        QTest::addColumn<int>("count");
        QTest::newRow("status only") << QByteArray(R"({"status":1.0})") << int(ReplyStatus::Success) << 0 << 0;
        QTest::newRow("expired") << QByteArray(R"({"status":-1,"pages_total":2.5})") << int(ReplyStatus::LoginExpired) << 2 << 0;
        QTest::newRow("no status") << QByteArray(R"({"pages_total":3})") << int(ReplyStatus::Failed) << 3 << 0;
        QTest::newRow("boolean") << QByteArray(R"({"status":true})") << int(ReplyStatus::Failed) << 0 << 0;
        QTest::newRow("texts") << QByteArray(R"({"status":"1","pages_total":" 7","movies_count":"4"})")
                               << int(ReplyStatus::Success) << 7 << 4;
        QTest::newRow("above") << QByteArray(R"({"pages_total":99999,"movies_count":1e12})") << int(ReplyStatus::Failed)
                               << 32767 << INT32_MAX;
        QTest::newRow("below") << QByteArray(R"({"pages_total":-99999,"movies_count":-3})") << int(ReplyStatus::Failed)
                               << -32768 << 0;
    }
    void replyMembers() {
        QFETCH(QByteArray, json);
        QFETCH(int, status);
        QFETCH(int, pagesTotal);
        QFETCH(int, count);
        const JsonValue root = JSON::Parse(QString::fromUtf8(json));
        QCOMPARE(int(statusOf(root)), status);
        QCOMPARE(int(int16Member(root, "pages_total")), pagesTotal);
        QCOMPARE(countMember(root, "movies_count"), count);
    }

    void idsNamesAndRows() {
        QCOMPARE(online::localImageName("", 12345), QStringLiteral("page_12345.jpg"));
        QCOMPARE(GetMovieIDFromStr(" 7 |a|b"), QStringLiteral("7"));
        QCOMPARE(GetMovieIDFromStr(" 7 "), QStringLiteral(" 7 "));  // no bar: as it is
        QCOMPARE(GetFileNameFromURLStr("http://h/i.php?id=3 "), QStringLiteral("i.php?id=3"));
        // fewer items than announced; a number is a row, an object is none
        QCOMPARE(movieRows(parse(R"({"movies_count":9,"movies":["1 | a",42,{"x":1}]})")), (QStringList{"1 | a", "42"}));
    }

    void pagesPastTheStoryCostNothing() {
        const StoryPlan huge = planStory(parse(R"({"pages_count":2147483647,"story":[{"image":"a.jpg"}]})"));
        QVERIFY(huge.pages.size() == 1 && huge.missingPages == INT32_MAX - 1);
        QCOMPARE(planStory(parse(R"({"pages_count":2,"story":"x"})")).missingPages, 2);
    }

    void failedImagesReport() {
        QCOMPARE(online::failedImagesReport({}, 9, 3),
                 QStringLiteral("有 3 张图片没能下载：\n第 9～11 页：服务器的影片解说里没有这些页"));
        QList<FailedImage> ten;
        QString named = "有 11 张图片没能下载：";
        for (int i = 1; i <= 10; ++i) {
            ten.append({QStringLiteral("f%1.jpg").arg(i), "坏了"});
            named += QStringLiteral("\nf%1.jpg：坏了").arg(i);
        }
        QCOMPARE(online::failedImagesReport(ten, 11, 1), named + "\n……");
    }
};

QTEST_GUILESS_MAIN(TestOnlineLogic)
#include "test_online_logic.moc"
