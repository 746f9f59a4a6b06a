// Reading and writing the script file, byte for byte.

#include "model/script_file.h"
#include "platform/gbk_codec.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QtTest>


using namespace kinoleaf;
using test::gbkBytes;


class TestScriptFile : public QObject {
    Q_OBJECT
private slots:
    void readRules_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty line skipped, last line without end")
            << gbkBytes("a.jpg :x\r\n\r\nb.jpg") << QStringList{"a.jpg :x", "b.jpg"};
        QTest::newRow("lone LF stays in the row of a file with CR")
            << QByteArray("a.jpg\nb.jpg\r\n") << QStringList{"a.jpg\nb.jpg"};
        QTest::newRow("a file without CR has LF line ends")
            << gbkBytes("a.jpg :一\n\nb.jpg\nc.jpg") << QStringList{"a.jpg :一", "b.jpg", "c.jpg"};
        QTest::newRow("lone CR ends a line")
            << QByteArray("a\rb\r\nc\r") << QStringList{"a", "b", "c"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "b"};
        QTest::newRow("LF after CR LF starts the next row")
            << QByteArray("a\r\n\nb\r\n") << QStringList{"a", "\nb"};
        QTest::newRow("spaces kept") << QByteArray("  a.jpg :x  \r\n") << QStringList{"  a.jpg :x  "};
        QTest::newRow("chinese") << gbkBytes("0001.jpg :故事开始了\r\n0002.jpg\r\n")
                                 << QStringList{"0001.jpg :故事开始了", "0002.jpg"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("pairs whose second byte is ASCII")
            << gbkBytes("a.jpg :丂亇\r\n") << QStringList{QStringLiteral("a.jpg :丂亇")};
        QTest::newRow("euro sign, a byte of its own") << QByteArray("a.jpg :\x80\r\n") << QStringList{"a.jpg :€"};
        // one broken sequence, the last byte of the file: every row reads
        // as the converter reads the whole file
        QTest::newRow("cut off at the very end")
            << gbkBytes("a.jpg :一\r\nb.jpg :二").append('\xb9') << QStringList{"a.jpg :一", "b.jpg :二\uFFFD"};
        QTest::newRow("lead byte before LF in a file without CR")
            << QByteArray("a.jpg :\xb9\nb.jpg") << QStringList{"a.jpg :\uFFFD", "b.jpg"};
    }
    void readRules() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QTemporaryDir tmp;
        const auto r = script::read(test::writeBytes(tmp.path(), script::kFileName, bytes));
        QVERIFY(r.ok);
        QCOMPARE(r.rows, rows);
        // the text-level splitter follows the same rules
        QCOMPARE(script::splitRows(gbk::decode(bytes)), rows);
        QCOMPARE(script::rowsOfBytes(bytes), rows);
    }

    void brokenBytesDoNotStopTheLoad() {
        QTemporaryDir tmp;
        // a lead byte right before CR, bytes no GBK sequence uses, and a lead
        // byte cut off by the end of the file
        QByteArray bytes("a.jpg :\x81\r\nb.jpg :\xff\xff\r\nc.jpg\xb9");
        const auto r = script::read(test::writeBytes(tmp.path(), "s.txt", bytes));
        QVERIFY(r.ok);
        QCOMPARE(r.rows.size(), 3);
        // nothing vanishes: each broken sequence stands as a replacement
        // character, which a save names as a character it cannot hold
        QCOMPARE(r.rows[0], QStringLiteral("a.jpg :\uFFFD"));
        QVERIFY(r.rows[1].startsWith("b.jpg :") && r.rows[1].size() > 7);
        QCOMPARE(r.rows[2], QStringLiteral("c.jpg\uFFFD"));
        QCOMPARE(script::unsavableCharacters(r.rows), QStringLiteral("\uFFFD"));
    }

    void failuresAreExplainedInChinese() {
        auto r = script::read("/nonexistent/folder/ReelsketchScript.txt");
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("文件或文件夹不存在"));
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkdir(script::kFileName));
        const QString inTheWay = QDir(tmp.path()).filePath(script::kFileName);
        QCOMPARE(script::write(inTheWay, {"a"}).error, QStringLiteral("同名的文件夹挡在那里"));
        QVERIFY(!script::read(inTheWay).ok);
    }

    void roundTripIsByteForByte() {
        QTemporaryDir tmp;
        const QByteArray original = gbkBytes("0001.jpg :他终于回来了 :真的\r\n0002.jpg\r\n  x.png : \r\n");
        const QString path = test::writeBytes(tmp.path(), script::kFileName, original);
        const auto r = script::read(path);
        QVERIFY(r.ok);
        QVERIFY(script::write(path, r.rows).ok);
        QCOMPARE(test::readBytes(path), original);
    }

    void lossyCases() {
        // empty lines dropped, a lone CR becomes CR LF, a final line end added
        QTemporaryDir tmp;
        const QString path = test::writeBytes(tmp.path(), script::kFileName, "a\r\r\nb\rc");
        const auto r = script::read(path);
        QVERIFY(script::write(path, r.rows).ok);
        QCOMPARE(test::readBytes(path), QByteArray("a\r\nb\r\nc\r\n"));
    }

    void writing() {
        QCOMPARE(script::serialize({}), QByteArray());
        QCOMPARE(script::serialize({"", "a.jpg :", ""}), QByteArray("a.jpg :\r\n"));
        QCOMPARE(script::serialize({"a.jpg :你"}), gbkBytes("a.jpg :你\r\n"));
        QTemporaryDir tmp;
        const QString path = test::writeBytes(tmp.path(), script::kFileName, "old\r\n");
        QVERIFY(script::write(path, {}).ok);
        QCOMPARE(QFileInfo(path).size(), 0);
        // no temporary file is left behind
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{script::kFileName});
    }

    void writeIntoMissingFolderFails() {
        const auto w = script::write("/nonexistent/folder/ReelsketchScript.txt", {"a"});
        QVERIFY(!w.ok);
        QVERIFY(!w.error.isEmpty());
    }

#ifdef Q_OS_LINUX
    void failedWriteKeepsTheOldFile_data() {
        QTest::addColumn<int>("rows");
        // a small script fails only when the write is flushed at the end
        QTest::newRow("smaller than a write buffer") << 200;
        QTest::newRow("many write buffers") << 4000;
    }
    void failedWriteKeepsTheOldFile() {
        QFETCH(int, rows);
        QTemporaryDir tmp;
        const QByteArray old = gbkBytes("a.jpg :旧的\r\n");
        const QString path = test::writeBytes(tmp.path(), script::kFileName, old);
        script::WriteResult w;
        {
            const test::FileSizeLimit limit(1024);
            w = script::write(path, QStringList(rows, QStringLiteral("page.jpg :很长的解说")));
        }
        QVERIFY(!w.ok);
        QCOMPARE(w.error, QStringLiteral("文件太大，超过了系统允许的大小"));
        QCOMPARE(test::readBytes(path), old);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{script::kFileName});
    }
#endif

    void unsavableCharactersAreNamed() {
        QCOMPARE(script::unsavableCharacters({"a.jpg :好", "b.jpg"}), QString());
        QCOMPARE(script::unsavableCharacters({"a.jpg :😀", "b.jpg :😀ω"}), QStringLiteral("😀"));
    }

    void newImagesMatchExactly() {
        const QStringList rows = {"1.jpg :一", "2.jpg", "3.jpg :三", "A.JPG :x"};
        const QStringList files = {"1.jpg", "2.jpg", "4.jpg", "a.jpg", "notes.txt", "b.jpg.bak",
                                   script::kFileName};
        QCOMPARE(script::imagesNotInRows(rows, files), QStringList({"4.jpg", "a.jpg"}));
        QCOMPARE(script::imagesNotInRows({}, {"x.PNG"}), QStringList({"x.PNG"}));
        // names given twice, an empty name, a name only a prefix of another
        QCOMPARE(script::imagesNotInRows({"1.jpg :a", " :b", "1.jpg :c", "12.jpg", "1.jp"},
                                         {"1.jpg", "12.jpg", "123.jpg", "2.jpg"}),
                 QStringList({"123.jpg", "2.jpg"}));
    }

    void newImagesAmongManyRows() {
        // Enough names that the lookup's table fills and wraps around.
        QStringList rows, files, expected;
        for (int i = 0; i < 5000; ++i) {
            if (i % 3 != 0) rows << QStringLiteral("%1.jpg :第%1页").arg(i);
            files << QStringLiteral("%1.jpg").arg(i);
            if (i % 3 == 0) expected << files.last();
        }
        QCOMPARE(script::imagesNotInRows(rows, files), expected);
    }
};

QTEST_GUILESS_MAIN(TestScriptFile)
#include "test_script_file.moc"
