// The desktop thumbnail cache as a file manager reads it, and thumbnails
// made through it.

#include "overview/thumbnail_provider.h"
#include "platform/thumbnail_cache.h"
#include "support/test_files.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace kinoleaf;
using namespace kinoleaf::thumbs;

namespace {

QFile::Permissions permsOf(const QString& path) {
    // Only the bits the standard speaks of.
    return QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                             QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                             QFile::WriteOther | QFile::ExeOther);
}

void setMTime(const QString& path, qint64 secs) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::fromSecsSinceEpoch(secs), QFileDevice::FileModificationTime));
}

// The keywords of the text chunks before the pixel data, as any PNG reader
// sees them.
QStringList pngTextKeywordsBeforePixels(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray d = f.readAll();
    QStringList keys;
    for (qsizetype i = 8; i + 8 <= d.size();) {
        const quint32 n = qFromBigEndian<quint32>(d.constData() + i);
        const QByteArray type = d.mid(i + 4, 4);
        if (type == "IDAT") break;
        if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
            const QByteArray body = d.mid(i + 8, n);
            keys << QString::fromLatin1(body.left(body.indexOf('\0')));
        }
        i += 12 + n;
    }
    return keys;
}

} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
    QTemporaryDir cache;
    QTemporaryDir pics;

private slots:
    void initTestCase() {
        // Never the user's own cache.
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    }

    void uriIsEscapedAsFileManagersDo_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("uri");
        QTest::newRow("plain") << "/home/u/a.jpg" << "file:///home/u/a.jpg";
        QTest::newRow("space and chinese") << "/m/示例 影片/1.jpg" << "file:///m/%E7%A4%BA%E4%BE%8B%20%E5%BD%B1%E7%89%87/1.jpg";
        QTest::newRow("reserved kept") << "/m/a!$&'()*+,-.:=@_~.png" << "file:///m/a!$&'()*+,-.:=@_~.png";
        QTest::newRow("unsafe escaped") << "/m/a#b?c%d[e]^`{|};\"<>.png"
                                        << "file:///m/a%23b%3Fc%25d%5Be%5D%5E%60%7B%7C%7D%3B%22%3C%3E.png";
        QTest::newRow("made clean") << "/m/./x/../b.png" << "file:///m/b.png";
    }
    void uriIsEscapedAsFileManagersDo() {
        QFETCH(QString, path);
        QFETCH(QString, uri);
        QCOMPARE(fileUri(path), uri);
    }

    void entryIsOneAFileManagerAccepts() {
        const QString pic = test::writeImage(pics.path(), QStringLiteral("图 1.png"), {600, 300}, Qt::blue);
        setMTime(pic, 1700000000);
        const Thumbnail made = makeThumbnail(pic, 200);
        QCOMPARE(made.state, Thumbnail::Ready);
        QCOMPARE(made.image.size(), QSize(256, 128));

        const QString uri = fileUri(pic);
        const QString md5 = QString::fromLatin1(QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex());
        const QString file = cache.path() + QStringLiteral("/thumbnails/large/") + md5 + QStringLiteral(".png");
        QCOMPARE(thumbnailPath(pic, Flavor::Large), file);
        QVERIFY(QFileInfo::exists(file));
        const QStringList keys = pngTextKeywordsBeforePixels(file);
        for (const char* key : {"Thumb::URI", "Thumb::MTime", "Thumb::Size", "Software"})
            QVERIFY2(keys.contains(QLatin1String(key)), key);
        const QImage entry(file);
        QCOMPARE(entry.text(QStringLiteral("Thumb::URI")), uri);
        QCOMPARE(entry.text(QStringLiteral("Thumb::MTime")), QStringLiteral("1700000000"));
        QCOMPARE(entry.text(QStringLiteral("Thumb::Size")), QString::number(QFileInfo(pic).size()));
        QCOMPARE(entry.text(QStringLiteral("Thumb::Image::Width")), QStringLiteral("600"));
        QCOMPARE(entry.text(QStringLiteral("Thumb::Image::Height")), QStringLiteral("300"));
        QCOMPARE(entry.size(), QSize(256, 128));
        QCOMPARE(permsOf(file), QFile::ReadOwner | QFile::WriteOwner);
        const auto dir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QCOMPARE(permsOf(cache.path() + QStringLiteral("/thumbnails")), dir);
        QCOMPARE(permsOf(cache.path() + QStringLiteral("/thumbnails/large")), dir);
        // No temporary file left beside it.
        QCOMPARE(QDir(cache.path() + QStringLiteral("/thumbnails/large")).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // A small view takes the large one when no normal one is there;
        // with both, the smallest that is big enough.
        QCOMPARE(readCachedThumbnail(pic, 96)->size(), QSize(256, 128));
        QVERIFY(makeThumbnail(pic, 128).state == Thumbnail::Ready);
        QCOMPARE(readCachedThumbnail(pic, 96)->size(), QSize(128, 64));
        QCOMPARE(readCachedThumbnail(pic, 200)->size(), QSize(256, 128));
        QCOMPARE(readCachedThumbnail(pic, 1000)->size(), QSize(256, 128));
    }

    void outdatedEntryIsReplaced() {
        const QString pic = test::writeImage(pics.path(), QStringLiteral("old.png"), {40, 40}, Qt::red);
        setMTime(pic, 1600000000);
        QVERIFY(makeThumbnail(pic, 128).state == Thumbnail::Ready);
        QVERIFY(readThumbnail(pic, Flavor::Normal));

        // The picture changes: same name, new content and time.
        test::writeImage(pics.path(), QStringLiteral("old.png"), {40, 40}, Qt::green);
        setMTime(pic, 1600000100);
        QVERIFY(!readThumbnail(pic, Flavor::Normal));
        QVERIFY(!readCachedThumbnail(pic, 10));
        const Thumbnail again = makeThumbnail(pic, 128);
        QCOMPARE(again.image.pixelColor(20, 20), QColor(Qt::green));
        QCOMPARE(QImage(thumbnailPath(pic, Flavor::Normal)).text(QStringLiteral("Thumb::MTime")),
                 QStringLiteral("1600000100"));
        // Small pictures are not enlarged.
        QCOMPARE(again.image.size(), QSize(40, 40));
    }

    void brokenAndMissingPictures() {
        const QString broken = test::writeBytes(pics.path(), QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not a jpeg"));
        QCOMPARE(makeThumbnail(broken, 128).state, Thumbnail::Broken);
        QVERIFY(hasFailure(broken));
        QVERIFY(failurePath(broken).contains(QStringLiteral("/thumbnails/fail/kinoleaf-1.0/")));
        QVERIFY(!QFileInfo::exists(thumbnailPath(broken, Flavor::Normal)));
        // Fixed later: the note is outdated and the picture tried again.
        test::writeImage(pics.path(), QStringLiteral("broken.jpg"), {20, 10});
        setMTime(broken, 1500000000);
        QVERIFY(!hasFailure(broken));
        QCOMPARE(makeThumbnail(broken, 128).state, Thumbnail::Ready);

        QCOMPARE(makeThumbnail(pics.path() + QStringLiteral("/gone.jpg"), 128).state, Thumbnail::Missing);
    }

    void picturesInsideTheCacheAreNotCached() {
        const QString normal = cache.path() + QStringLiteral("/thumbnails/normal");
        const QString own = test::writeImage(normal, QStringLiteral("x.png"), {30, 30});
        QVERIFY(isInsideCache(own));
        const int before = int(QDir(normal).entryList(QDir::Files).size());
        QCOMPARE(makeThumbnail(own, 128).state, Thumbnail::Ready);
        QCOMPARE(int(QDir(normal).entryList(QDir::Files).size()), before);
    }

    void providerDeliversInMemoryWithoutBlocking() {
        QStringList paths;
        for (int i = 0; i < 6; ++i)
            paths << test::writeImage(pics.path(), QStringLiteral("p%1.png").arg(i), {64, 48}, QColor(i * 40, 0, 0));
        paths << pics.path() + QStringLiteral("/none.png");
        ThumbnailProvider provider(nullptr, 2);
        provider.setSide(128);
        QSignalSpy ready(&provider, &ThumbnailProvider::ready);
        provider.request(paths);
        QVERIFY(provider.waitForIdle(10000));
        QCOMPARE(ready.count(), paths.size());
        for (int i = 0; i < 6; ++i) QCOMPARE(provider.cached(paths[i])->state, Thumbnail::Ready);
        QCOMPARE(provider.cached(paths.last())->state, Thumbnail::Missing);
        // Asked again: nothing to do.
        provider.request(paths);
        QCOMPARE(provider.pending(), 0);
        // Another flavor: memory forgets, the disk cache serves.
        provider.setSide(256);
        QVERIFY(!provider.cached(paths[0]));
        provider.forget(paths[0]);
    }
};

QTEST_GUILESS_MAIN(TestThumbnails)
#include "test_thumbnails.moc"
