// Listings, paths, the GBK codec and the date clock.

#include "platform/date_text.h"
#include "platform/file_helpers.h"
#include "platform/gbk_codec.h"
#include "support/test_files.h"

#include <QDir>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <random>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kinoleaf;

class TestPlatformCore : public QObject {
    Q_OBJECT
private slots:
    void naturalOrder() {
        QStringList names = {"img10.jpg", "img2.jpg", "IMG1.jpg", "img1.jpg", "a.png",
                             "img02.jpg", "B.png", "img1.JPG"};
        sortNatural(names);
        // digits by value, then case-insensitive, ties by exact name
        QCOMPARE(names, QStringList({"a.png", "B.png", "IMG1.jpg", "img1.JPG", "img1.jpg",
                                     "img2.jpg", "img02.jpg", "img10.jpg"}));
        QVERIFY(naturalLess("9", "10"));
        QVERIFY(naturalLess("x99999999999999999999", "x100000000000000000000"));
        QVERIFY(!naturalLess("a", "a"));
        // Case folding beyond ASCII, and ASCII against the rest.
        QStringList wide = {"Éb", "éa", "z", "Ä", "ä", "第2集", "第10集", "第一集"};
        sortNatural(wide);
        QCOMPARE(wide, QStringList({"z", "Ä", "ä", "éa", "Éb", "第2集", "第10集", "第一集"}));
    }

    void sortingAgreesWithTheComparison() {
        // The sort reads each name once into a key; whatever the names, it
        // must give the order the comparison gives.
        QStringList names = {"a", "A", "a0", "a00", "a000", "a1", "a01", "a001", "a10", "a010",
                             "a1b", "a1B", "a01b", "a1.jpg", "a1-2", "a1 2", "1", "01", "001", "0",
                             "00", "", "x12345678", "x123456789", "x0123456789", "abcdefghij1",
                             "abcdefghij2", "abcdefghiJ1", "ABCDEFGH", "abcdefgh", "abcdefgh0",
                             "Éb", "éa", "第2集", "第10集", "第02集", "第一集", "ä", "Ä",
                             QString(u'\uffff') + "a", QString(u'\uffff') + "b", QString(u'\ufffe'),
                             "x/", "x.", "x:", "x@", "x[", "x`", "x{", "x~", QStringLiteral("😀1"),
                             QStringLiteral("😀01")};
        // digit runs longer than the key holds, differing only far along
        const QString many(70000, u'7');
        names << "p" + many + "1" << "p" + many + "2" << "p" + many << "p0" + many << "q" + many;
        for (int i = 0; i < 300; ++i)
            names << QStringLiteral("IMG_%1_%2.jpg").arg(i % 7).arg(i * 37 % 101, i % 3 + 1, 10, QLatin1Char('0'));
        for (int round = 0; round < 5; ++round) {
            std::shuffle(names.begin(), names.end(), std::mt19937(round));
            QStringList expected = names;
            std::sort(expected.begin(), expected.end(), naturalLess);
            QStringList sorted = names;
            sortNatural(sorted);
            QCOMPARE(sorted, expected);
        }
    }

    void listingHasOrdinaryVisibleFilesOnly() {
        QTemporaryDir tmp;
        test::writeBytes(tmp.path(), "2.jpg", "x");
        test::writeBytes(tmp.path(), "10.jpg", "x");
        test::writeBytes(tmp.path(), ".hidden.jpg", "x");
        QDir(tmp.path()).mkdir("sub.jpg");
        bool ok = false;
        QCOMPARE(listFiles(tmp.path(), &ok), QStringList({"2.jpg", "10.jpg"}));
        QVERIFY(ok);
        QCOMPARE(listSubfolders(tmp.path()), QStringList({"sub.jpg"}));
        listFiles(tmp.filePath("missing"), &ok);
        QVERIFY(!ok);
        QVERIFY(plainFileExists(tmp.filePath("2.jpg")));
        QVERIFY(!plainFileExists(tmp.filePath("sub.jpg")));
        QVERIFY(!plainFileExists(QString()));
        QVERIFY(folderExists(tmp.filePath("sub.jpg")));
    }

    void listingTakesLinksForWhatTheyPointTo() {
#ifndef Q_OS_UNIX
        QSKIP("links, pipes and sockets are Unix matters");
#else
        QTemporaryDir tmp;
        const QByteArray dir = QFile::encodeName(tmp.path()) + '/';
        test::writeBytes(tmp.path(), "a.jpg", "x");
        QDir(tmp.path()).mkdir("folder");
        QVERIFY(::symlink("a.jpg", dir + "to-file.jpg") == 0);
        QVERIFY(::symlink("folder", dir + "to-folder") == 0);
        QVERIFY(::symlink("missing", dir + "broken.jpg") == 0);
        QVERIFY(::symlink("to-file.jpg", dir + "chain.jpg") == 0);
        QVERIFY(::mkfifo(dir + "pipe.jpg", 0644) == 0);
        const FolderListing listing = listFolder(tmp.path());
        QVERIFY(listing.ok);
        QCOMPARE(listing.files, QStringList({"a.jpg", "chain.jpg", "to-file.jpg"}));
        QCOMPARE(listing.subfolders, QStringList({"folder", "to-folder"}));
        QVERIFY(listing.legacy.isEmpty());
#endif
    }

    void joinNeverDoublesTheSeparator() {
        const QString sep = QDir::separator();
        QCOMPARE(joinPath("/a/b", "c.txt"), "/a/b" + sep + "c.txt");
        QCOMPARE(joinPath("/", "c.txt"), QString("/c.txt"));
        QCOMPARE(joinPath("/a/", "c.txt"), QString("/a/c.txt"));
        // An empty name gives a path that ends in the separator.
        QVERIFY(joinPath("/a", "").endsWith(sep));
    }

    void moveNeverReplaces() {
        QTemporaryDir tmp;
        const QString a = test::writeBytes(tmp.path(), "a", "A");
        const QString b = test::writeBytes(tmp.path(), "b", "B");
        QVERIFY(!moveFileNoReplace(a, b));
        QCOMPARE(test::readBytes(b), QByteArray("B"));
        QVERIFY(moveFileNoReplace(a, tmp.filePath("c")));
        QCOMPARE(test::readBytes(tmp.filePath("c")), QByteArray("A"));
    }

    void copiesReplaceWholeOrNotAtAll() {
        QTemporaryDir tmp;
        const QByteArray big(3 << 20, 'x');
        const QString from = test::writeBytes(tmp.path(), "a.jpg", big);
        const QString to = test::writeBytes(tmp.filePath("out"), "a.jpg", "old");
        QString error;
        QVERIFY(copyFileReplacing(from, to, &error));
        QCOMPARE(test::readBytes(to), big);
        QVERIFY(copyFileReplacing(test::writeBytes(tmp.path(), "empty.jpg", {}), to));
        QCOMPARE(QFileInfo(to).size(), 0);
        // a missing source or a folder in the way: reasons, and nothing left behind
        QVERIFY(!copyFileReplacing(tmp.filePath("gone.jpg"), to, &error));
        QCOMPARE(error, QStringLiteral("文件或文件夹不存在"));
        QVERIFY(QDir(tmp.path()).mkdir("out/b.jpg"));
        QVERIFY(!copyFileReplacing(from, tmp.filePath("out/b.jpg"), &error));
        QCOMPARE(error, QStringLiteral("同名的文件夹挡在那里"));
#ifdef Q_OS_LINUX
        {
            const test::FileSizeLimit limit(1 << 20);
            QVERIFY(!copyFileReplacing(from, to, &error));
        }
        QCOMPARE(error, QStringLiteral("文件太大，超过了系统允许的大小"));
        QCOMPARE(QFileInfo(to).size(), 0);  // the earlier copy, untouched
#endif
        QCOMPARE(QDir(tmp.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.jpg"});
    }

    void copiesGoInByRenameNeverThroughTheOldFile() {
#ifdef Q_OS_UNIX
        QTemporaryDir tmp;
        const QString from = test::writeBytes(tmp.path(), "a.jpg", "new picture");
        const QString to = test::writeBytes(tmp.filePath("out"), "a.jpg", "old");
        // Whoever holds the old file, or another name of it, keeps it whole:
        // the copy is a new file put in its place, never the old one rewritten.
        QVERIFY(::link(QFile::encodeName(to).constData(), QFile::encodeName(tmp.filePath("out/keep.jpg")).constData()) == 0);
        QFile reader(to);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QVERIFY(copyFileReplacing(from, to));
        QCOMPARE(reader.readAll(), QByteArray("old"));
        QCOMPARE(test::readBytes(tmp.filePath("out/keep.jpg")), QByteArray("old"));
        QCOMPARE(test::readBytes(to), QByteArray("new picture"));
        // A link in the target's place is refused; what it points to stays.
        const QString far = test::writeBytes(tmp.filePath("far"), "b.jpg", "far away");
        QVERIFY(QFile::link(far, tmp.filePath("out/b.jpg")));
        QString error;
        QVERIFY(!copyFileReplacing(from, tmp.filePath("out/b.jpg"), &error));
        QCOMPARE(error, QStringLiteral("同名的链接挡在那里"));
        QCOMPARE(test::readBytes(far), QByteArray("far away"));
        // A folder that can't be written: the reason, and no temporary file.
        QVERIFY(!copyFileReplacing(from, tmp.filePath("missing/a.jpg"), &error));
        QCOMPARE(error, QStringLiteral("文件或文件夹不存在"));
        QCOMPARE(QDir(tmp.filePath("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"a.jpg", "b.jpg", "keep.jpg"}));
#endif
    }

    void syncsReportWhatTheyCouldNotDo() {
        QTemporaryDir tmp;
        test::writeBytes(tmp.path(), "a.jpg", "x");
        QString error = "untouched";
        QVERIFY(syncToDisk(tmp.path(), {"a.jpg"}, &error));
        QCOMPARE(error, QStringLiteral("untouched"));
        QVERIFY(!syncToDisk(tmp.filePath("gone"), {"a.jpg"}, &error));
        QCOMPARE(error, QStringLiteral("文件或文件夹不存在"));
        // an installed sync answers instead, until it is taken away
        QStringList seen;
        setDiskSync([&](const QString& folder, const QStringList& names, QString* why) {
            seen << folder << names;
            *why = QStringLiteral("输入/输出错误");
            return false;
        });
        QVERIFY(!syncToDisk(tmp.path(), {"a.jpg"}, &error));
        QCOMPARE(error, QStringLiteral("输入/输出错误"));
        QCOMPARE(seen, (QStringList{tmp.path(), "a.jpg"}));
        setDiskSync({});
        QVERIFY(syncToDisk(tmp.path(), {"a.jpg"}, &error));
    }

    void gbkRoundTripAndLosses() {
        const QString text = QStringLiteral("故事开始了 :a€");
        const QByteArray bytes = gbk::encode(text);
        QCOMPARE(bytes.toHex(), QByteArray("b9cacac2bfaacabcc1cb203a6180"));
        QCOMPARE(gbk::decode(bytes), text);
        QCOMPARE(gbk::unrepresentable(text), QString());
        const QString emoji = QStringLiteral("a😀b😀ק");
        QCOMPARE(gbk::unrepresentable(emoji), QStringLiteral("😀ק"));
        // Broken sequences decode to something, never throw or stop.
        QVERIFY(!gbk::decode(QByteArray("\x81\xff\xfe", 3)).isEmpty());
    }

    void gbkDecodesEveryByteAndPairAsTheConverterDoes() {
        auto converter = [](const QByteArray& bytes) {
            QStringDecoder dec("GBK");
            QString text = dec.decode(bytes);
            text += dec.decode(QByteArrayView("\n", 1));
            text.chop(1);
            return text;
        };
        QList<QByteArray> sequences;
        for (int b = 0; b < 256; ++b) sequences << QByteArray(1, char(b));
        for (int lead = 0x80; lead < 256; ++lead)
            for (int trail = 0; trail < 256; ++trail) sequences << QByteArray(1, char(lead)).append(char(trail));
        int clean = 0;
        for (const QByteArray& bytes : sequences) {
            const QString expected = converter(bytes);
            QCOMPARE(gbk::decode(bytes), expected);
            // in context too: after a character, before a line end
            QCOMPARE(gbk::decode("a" + bytes + "\r\n"), converter("a" + bytes + "\r\n"));
            std::vector<char16_t> out(size_t(bytes.size()));
            const qsizetype n = gbk::decodeClean(bytes, out.data());
            if (n >= 0) {
                ++clean;
                QCOMPARE(QStringView(out.data(), n).toString(), expected);
                QVERIFY(!expected.contains(QChar::ReplacementCharacter));
            }
        }
        // the fast way covers ASCII and GBK's twenty thousand and more pairs
        QVERIFY2(clean > 128 + 20000, qPrintable(QString::number(clean)));
    }

    void datesComeFromTheClock() {
        setClock([] { return QDate(2026, 12, 8); });
        QCOMPARE(today(), QDate(2026, 12, 8));
        QCOMPARE(fileNameDateText(today()), QString("2026-12-08"));
        QVERIFY(!fileNameDateText(today()).contains(u'/'));
        QVERIFY(!shortDateText(today()).isEmpty());
        setClock({});
        QCOMPARE(today(), QDate::currentDate());
    }
};

QTEST_GUILESS_MAIN(TestPlatformCore)
#include "test_platform_core.moc"
