// The preview cache: keys that follow the file, the byte bound, LRU order,
// and use from several threads at once.

#include "platform/preview_cache.h"

#include "support/test_files.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace kinoleaf;

namespace {

// 100x100 RGB32: 40000 bytes of pixels.
constexpr qint64 kImageBytes = 100 * 100 * 4;

QImage filled(QRgb color) {
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

PreviewKey key(const QString& name, QSize target = {665, 409}) {
    return PreviewKey{name, target, 1000, 10};
}

} // namespace

class TestImageCache : public QObject {
    Q_OBJECT

private slots:
    void keyFollowsTheFileOnDisk() {
        QTemporaryDir dir;
        const QString path = test::writeBytes(dir.path(), "a.jpg", "one");
        const auto first = PreviewKey::forFile(path, {665, 409});
        QVERIFY(first);
        QCOMPARE(PreviewKey::forFile(path, {665, 409}), first);
        QVERIFY(PreviewKey::forFile(path, {300, 200}) != first);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        file.close();
        const auto touched = PreviewKey::forFile(path, {665, 409});
        QVERIFY(touched && touched != first);

        test::writeBytes(dir.path(), "a.jpg", "longer");
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadWrite));
        QVERIFY(again.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        again.close();
        const auto rewritten = PreviewKey::forFile(path, {665, 409});
        QVERIFY(rewritten && rewritten->fileSize != touched->fileSize);

        QVERIFY(!PreviewKey::forFile(dir.filePath("none.jpg"), {665, 409}));
        QVERIFY(!PreviewKey::forFile(dir.path(), {665, 409}));
    }

    void leastRecentlyUsedGoesFirst() {
        PreviewCache cache(3 * kImageBytes);
        cache.insert(key("a"), filled(1));
        cache.insert(key("b"), filled(2));
        cache.insert(key("c"), filled(3));
        QVERIFY(cache.find(key("a")));  // a is now the most recent
        cache.insert(key("d"), filled(4));
        QCOMPARE(cache.count(), 3);
        QVERIFY(!cache.contains(key("b")));
        QVERIFY(cache.contains(key("a")) && cache.contains(key("c")) && cache.contains(key("d")));
        QCOMPARE(cache.bytesUsed(), 3 * kImageBytes);
        QCOMPARE(cache.find(key("d"))->image.pixel(0, 0), filled(4).pixel(0, 0));
        QVERIFY(!cache.find(key("a", {300, 200})));
    }

    void boundCountsBytesNotEntries() {
        PreviewCache cache(5 * kImageBytes);
        QImage big(200, 100, QImage::Format_RGB32);  // two ordinary ones
        big.fill(0);
        for (int i = 0; i < 4; ++i) cache.insert(key(QString::number(i)), filled(i));
        cache.insert(key("big"), big);
        QCOMPARE(cache.count(), 4);
        QVERIFY(!cache.contains(key("0")) && cache.contains(key("1")) && cache.contains(key("big")));
        QVERIFY(cache.bytesUsed() <= cache.maxBytes());

        cache.setMaxBytes(2 * kImageBytes);
        QCOMPARE(cache.count(), 1);
        QVERIFY(cache.contains(key("big")));
        cache.clear();
        QCOMPARE(cache.count(), 0);
        QCOMPARE(cache.bytesUsed(), 0);
    }

    void replacingAndOversizedEntriesKeepTheCountRight() {
        PreviewCache cache(2 * kImageBytes);
        cache.insert(key("a"), filled(1));
        cache.insert(key("a"), filled(2));
        QCOMPARE(cache.count(), 1);
        QCOMPARE(cache.bytesUsed(), kImageBytes);
        QCOMPARE(cache.find(key("a"))->image.pixel(0, 0), filled(2).pixel(0, 0));

        QImage huge(300, 100, QImage::Format_RGB32);
        huge.fill(0);
        cache.insert(key("a"), huge);  // too big: not kept, and the old a is gone too
        QCOMPARE(cache.count(), 0);
        QCOMPARE(cache.bytesUsed(), 0);
        cache.insert(key("n"), QImage());
        QCOMPARE(cache.count(), 0);
    }

    void incompleteFlagTravelsWithItsEntry() {
        PreviewCache cache(4 * kImageBytes);
        cache.insert(key("cut"), filled(1), true);
        cache.insert(key("whole"), filled(2));
        QVERIFY(cache.find(key("cut"))->incomplete);
        QVERIFY(!cache.find(key("whole"))->incomplete);
        cache.insert(key("cut"), filled(3));  // the file was copied again, whole this time
        QVERIFY(!cache.find(key("cut"))->incomplete);
        QCOMPARE(cache.count(), 2);
    }

    void staysConsistentUnderConcurrentUse() {
        PreviewCache cache(20 * kImageBytes);
        auto work = [&cache](int seed) {
            for (int i = 0; i < 2000; ++i) {
                const PreviewKey k = key(QString::number((i * 7 + seed) % 40));
                if (i % 3 == 0) cache.insert(k, filled(QRgb(i)));
                else cache.find(k);
            }
        };
        std::unique_ptr<QThread> a(QThread::create(work, 1));
        std::unique_ptr<QThread> b(QThread::create(work, 2));
        a->start();
        b->start();
        work(3);
        QVERIFY(a->wait(30000) && b->wait(30000));
        QVERIFY(cache.count() <= 20);
        QCOMPARE(cache.bytesUsed(), cache.count() * kImageBytes);
    }
};

QTEST_GUILESS_MAIN(TestImageCache)
#include "test_image_cache.moc"
