// Names made on Chinese Windows: telling them apart, listing them, renaming
// them without ever replacing what is already there.

#include "platform/file_helpers.h"
#include "platform/legacy_names.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <cstdio>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kinoleaf;

namespace {

QByteArray gbk(const char16_t* text) { return test::gbkBytes(QString::fromUtf16(text)); }

#ifdef Q_OS_UNIX
using test::makeRawFile;
using test::makeRawFolder;
using test::rawExists;
using test::RawTempDir;
using test::readRaw;

QStringList decodedNames(const QList<LegacyName>& names) {
    QStringList out;
    for (const LegacyName& name : names) out << name.decoded + (name.isFolder ? "/" : "");
    return out;
}

#endif

} // namespace

class TestLegacyNames : public QObject {
    Q_OBJECT
private slots:
    void utf8Validity_data();
    void utf8Validity();
    void legacyDecoding_data();
    void legacyDecoding();
    void listingSetsLegacyNamesApart();
    void renameNeverReplaces_data();
    void renameNeverReplaces();
    void singleRenameReportsWhy();
};

void TestLegacyNames::utf8Validity_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ascii") << QByteArray("IMG_0001.jpg") << true;
    QTest::newRow("chinese") << QString("第一集.jpg").toUtf8() << true;
    QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x98\x80") << true;
    QTest::newRow("highest") << QByteArray("\xf4\x8f\xbf\xbf") << true;
    QTest::newRow("lone trail") << QByteArray("a\x80") << false;
    QTest::newRow("cut at end") << QByteArray("\xe4\xb8") << false;
    QTest::newRow("cut by ascii") << QByteArray("\xe4\xb8x") << false;
    QTest::newRow("overlong 2") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("overlong 3") << QByteArray("\xe0\x80\xaf") << false;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("past max") << QByteArray("\xf4\x90\x80\x80") << false;
}

void TestLegacyNames::utf8Validity() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(isValidUtf8(bytes), valid);
}

void TestLegacyNames::legacyDecoding_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("decoded");  // null: not a legacy name
    QTest::newRow("ascii") << QByteArray("a.jpg") << QString();
    QTest::newRow("utf-8 chinese") << QString("故事.jpg").toUtf8() << QString();
    // Bytes that are both: UTF-8 "é" and GBK "茅". Valid UTF-8 stays as is.
    QTest::newRow("utf-8 and gbk") << QByteArray("\xc3\xa9") << QString();
    QTest::newRow("gbk") << gbk(u"故事开始了.jpg") << QStringLiteral("故事开始了.jpg");
    QTest::newRow("gbk trail is ascii") << QByteArray("\x81\x40") << QStringLiteral("丂");
    QTest::newRow("no gbk lead") << QByteArray("\xff\xfe.jpg") << QString();
    QTest::newRow("cut lead") << (gbk(u"故事") + '\xca') << QString();
    QTest::newRow("bad trail") << QByteArray("\xb9\x20x") << QString();
    QTest::newRow("gb18030 four bytes") << QByteArray("\x81\x30\x81\x30") << QString();
    QTest::newRow("control byte") << (gbk(u"故") + '\x01' + gbk(u"事")) << QString();
    QTest::newRow("user-defined") << QByteArray("\xaa\xa1") << QString();
}

void TestLegacyNames::legacyDecoding() {
    QFETCH(QByteArray, raw);
    QFETCH(QString, decoded);
    const std::optional<QString> got = legacyDecodedName(raw);
    QCOMPARE(got.has_value(), !decoded.isNull());
    if (got) QCOMPARE(*got, decoded);
}

void TestLegacyNames::listingSetsLegacyNamesApart() {
#ifndef Q_OS_UNIX
    QSKIP("names that aren't Unicode only occur on Unix file systems");
#else
    RawTempDir tmp;
    const QString dir = tmp.path();
    QVERIFY(makeRawFile(dir, "b.jpg", "x"));
    QVERIFY(makeRawFile(dir, QString("中文.jpg").toUtf8(), "x"));
    QVERIFY(makeRawFile(dir, gbk(u"第10张.jpg"), "x"));
    QVERIFY(makeRawFile(dir, gbk(u"第2张.jpg"), "x"));
    QVERIFY(makeRawFolder(dir, gbk(u"第一集")));
    QVERIFY(makeRawFolder(dir, "sub"));
    QVERIFY(makeRawFile(dir, "." + gbk(u"藏"), "x"));        // hidden
    QVERIFY(makeRawFile(dir, "\xff\xfe.jpg", "x"));           // neither: left out
    QVERIFY(makeRawFile(dir, gbk(u"故") + '\x01', "x"));      // neither: left out

    const FolderListing listing = listFolder(dir);
    QVERIFY(listing.ok);
    QCOMPARE(listing.files, (QStringList{"b.jpg", "中文.jpg"}));
    QCOMPARE(listing.subfolders, QStringList{"sub"});
    QCOMPARE(decodedNames(listing.legacy), (QStringList{"第2张.jpg", "第10张.jpg", "第一集/"}));
    QCOMPARE(listing.legacy[2].raw, gbk(u"第一集"));
    // The plain listings stay as they were: no garbled names in them.
    QCOMPARE(listFiles(dir), listing.files);
    QCOMPARE(listSubfolders(dir), listing.subfolders);

    QVERIFY(!listFolder(dir + "/b.jpg").ok);
    QVERIFY(!listFolder(QString()).ok);
#endif
}

void TestLegacyNames::renameNeverReplaces_data() {
    QTest::addColumn<bool>("atomic");
    QTest::newRow("no-replace rename") << true;
    QTest::newRow("fallback") << false;
}

void TestLegacyNames::renameNeverReplaces() {
#ifndef Q_OS_UNIX
    QSKIP("names that aren't Unicode only occur on Unix file systems");
#else
    QFETCH(bool, atomic);
    setAtomicNoReplaceRename(atomic);
    const auto restore = qScopeGuard([] { setAtomicNoReplaceRename(true); });
    RawTempDir tmp;
    const QString dir = tmp.path();
    test::writeBytes(dir, "故事.jpg", "KEEP");
    QVERIFY(QDir(dir).mkdir("第一集"));  // empty: a plain rename would replace it
    QVERIFY(makeRawFile(dir, gbk(u"故事.jpg"), "OLD"));
    QVERIFY(makeRawFolder(dir, gbk(u"第一集")));
    QVERIFY(makeRawFile(dir, gbk(u"第二.jpg"), "2"));

    const QList<LegacyName> names = {{gbk(u"故事.jpg"), "故事.jpg", false},
                                     {gbk(u"第二.jpg"), "第二.jpg", false},
                                     {gbk(u"第一集"), "第一集", true}};
    const RenameReport report = renameLegacyNames(dir, names);
    QCOMPARE(report.renamed, 1);
    QCOMPARE(report.failed.size(), 2);
    QCOMPARE(report.failed[0].decodedName, QStringLiteral("故事.jpg"));
    QCOMPARE(report.failed[0].reason, QStringLiteral("已经有同名的文件或文件夹"));
    QCOMPARE(report.failed[1].decodedName, QStringLiteral("第一集"));
    QCOMPARE(report.failed[1].reason, QStringLiteral("已经有同名的文件或文件夹"));

    QCOMPARE(test::readBytes(dir + "/故事.jpg"), QByteArray("KEEP"));
    QCOMPARE(readRaw(dir, gbk(u"故事.jpg")), QByteArray("OLD"));
    QVERIFY(rawExists(dir, gbk(u"第一集")));
    QVERIFY(QDir(dir + "/第一集").isEmpty());
    QCOMPARE(test::readBytes(dir + "/第二.jpg"), QByteArray("2"));
    QVERIFY(!rawExists(dir, gbk(u"第二.jpg")));
#endif
}

void TestLegacyNames::singleRenameReportsWhy() {
#ifndef Q_OS_UNIX
    QSKIP("names that aren't Unicode only occur on Unix file systems");
#else
    RawTempDir tmp;
    const QString dir = tmp.path();
    QVERIFY(QDir(dir).mkdir("sub"));
    QVERIFY(makeRawFolder(dir, gbk(u"第一集")));
    QString reason = "stale";

    QCOMPARE(renameLegacyName(dir, gbk(u"第一集"), "第一集", &reason), dir + "/第一集");
    QVERIFY(reason.isEmpty());
    QVERIFY(QFileInfo(dir + "/第一集").isDir());

    QCOMPARE(renameLegacyName(dir, gbk(u"第一集"), "第一集", &reason), QString());
    QCOMPARE(reason, QStringLiteral("文件或文件夹不存在"));  // renamed already
    QVERIFY(makeRawFile(dir, gbk(u"故事"), "x"));
    // A name that would move it elsewhere is refused, not followed.
    QCOMPARE(renameLegacyName(dir, gbk(u"故事"), "sub/故事", &reason), QString());
    QCOMPARE(reason, QStringLiteral("文件名或参数无效"));
    QVERIFY(rawExists(dir, gbk(u"故事")));
    QVERIFY(QDir(dir + "/sub").isEmpty());

    const RenameReport gone =
        renameLegacyNames(dir + "/missing", {{gbk(u"故事"), "故事", false}});
    QCOMPARE(gone.failed.size(), 1);
    QCOMPARE(gone.failed[0].reason, QStringLiteral("文件或文件夹不存在"));
#endif
}

QTEST_GUILESS_MAIN(TestLegacyNames)
#include "test_legacy_names.moc"
