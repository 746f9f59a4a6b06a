// Episodes: chosen pages copied with a script of their rows into a folder.

#include "editor/episode.h"
#include "model/script_file.h"
#include "platform/file_helpers.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

class TestEpisode : public QObject {
    Q_OBJECT
private slots:
    void copiesImagesAndWritesTheirRows() {
        QTemporaryDir tmp;
        const QString movie = tmp.filePath("movie"), target = tmp.filePath("ep1");
        for (const char* name : {"1.jpg", "3.jpg", "4.jpg"}) writeBytes(movie, name, name);
        QDir().mkpath(target);
        writeBytes(target, "old.jpg", "stays");
        writeBytes(target, "3.jpg", "replaced");
        QList<int> seen;
        const auto r = episode::generate({"1.jpg :一", "3.jpg", " :无图", "4.jpg :四", "gone.jpg :丢"}, movie, target,
                                         [&](int done, int) { seen << done; });
        QVERIFY(r.scriptWritten);
        QCOMPARE(r.pages, 5);  // the page without an image counts, unwritten
        QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(readBytes(target + "/3.jpg"), QByteArray("3.jpg"));
        QCOMPARE(readBytes(target + "/old.jpg"), QByteArray("stays"));
        // a missing image is reported; its intro still goes into the script
        QCOMPARE(r.failed.size(), 1);
        QCOMPARE(r.failed[0].imageName, QStringLiteral("gone.jpg"));
        QCOMPARE(r.failed[0].reason, QStringLiteral("文件或文件夹不存在"));
        QCOMPARE(readBytes(target + "/ReelsketchScript.txt"),
                 gbkBytes("1.jpg :一\r\n3.jpg\r\n4.jpg :四\r\ngone.jpg :丢\r\n"));
        // a second episode into the same folder replaces the script only
        QVERIFY(episode::generate({"4.jpg :又"}, movie, target).scriptWritten);
        QCOMPARE(readBytes(target + "/ReelsketchScript.txt"), gbkBytes("4.jpg :又\r\n"));
        QVERIFY(QFile::exists(target + "/1.jpg"));
        // a name leading out of the movie folder copies nothing from there
        writeBytes(tmp.path(), "outside.jpg", "x");
        const auto out = episode::generate({"../outside.jpg :x"}, movie, target);
        QCOMPARE(out.failed.size(), 1);
        QCOMPARE(out.failed[0].reason, QStringLiteral("文件名或参数无效"));
    }

    // The report says the intros are in the script only when it was written.
    void aTargetThatTakesNothing() {
        QTemporaryDir tmp;
        const QString movie = tmp.filePath("movie"), target = tmp.filePath("ep");
        writeBytes(movie, "1.jpg", "1");
        QDir().mkpath(target);
        episode::Result r;
        {
            ReadOnlyFolder readOnly(target);
            if (!readOnly.ok()) QSKIP(qPrintable(readOnly.why()));
            r = episode::generate({"1.jpg :一"}, movie, target);
        }
        QVERIFY(!r.scriptWritten && !QFile::exists(target + "/ReelsketchScript.txt"));
        QCOMPARE(episode::failureReport(r), QStringLiteral("有 1 张图片没能复制到剧集里：\n1.jpg：没有权限"));
        r.scriptWritten = true;
        QCOMPARE(episode::failureReport(r),
                 QStringLiteral("有 1 张图片没能复制到剧集里（它们的解说已写进脚本）：\n1.jpg：没有权限"));
    }

    void syncedOnceWhenAllIsWritten() {
        QTemporaryDir tmp;
        const QString movie = tmp.filePath("movie"), target = tmp.filePath("ep");
        for (const char* name : {"1.jpg", "2.jpg"}) writeBytes(movie, name, name);
        QDir().mkpath(target);
        int syncs = 0;
        QStringList synced;
        setDiskSync([&](const QString& folder, const QStringList& names, QString* why) {
            ++syncs;
            synced = names;
            // Everything is in place by then, the script too.
            if (folder != target || !QFile::exists(target + "/ReelsketchScript.txt") ||
                readBytes(target + "/2.jpg") != "2.jpg")
                *why = QStringLiteral("too early");
            else
                *why = QStringLiteral("输入/输出错误");
            return false;
        });
        const auto r = episode::generate({"1.jpg :一", "gone.jpg", "2.jpg :二"}, movie, target);
        setDiskSync({});
        QCOMPARE(syncs, 1);
        QCOMPARE(synced, (QStringList{"1.jpg", "2.jpg"}));
        // a failed sync is told, beside a script that was written
        QVERIFY(r.scriptWritten);
        QCOMPARE(r.syncError, QStringLiteral("输入/输出错误"));
        QCOMPARE(r.failed.size(), 1);
        // no temporary file is left beside the copies
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"1.jpg", "2.jpg", "ReelsketchScript.txt"}));
        QVERIFY(episode::generate({"1.jpg :一"}, movie, target).syncError.isEmpty());
    }

    void sameFolderSeesThroughSpellings() {
        QTemporaryDir tmp;
        QDir().mkpath(tmp.filePath("m/sub"));
        QVERIFY(episode::sameFolder(tmp.filePath("m"), tmp.filePath("m/sub/..")));
        QVERIFY(!episode::sameFolder(tmp.filePath("m"), tmp.filePath("m/sub")));
        QVERIFY(!episode::sameFolder(tmp.filePath("missing"), tmp.filePath("missing")));
    }
};

QTEST_GUILESS_MAIN(TestEpisode)
#include "test_episode.moc"
