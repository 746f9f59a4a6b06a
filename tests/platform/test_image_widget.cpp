// The picture box: fitting and centring, keeping the old picture on failure,
// files changed on disk, background decoding and its lifetime.

#include "platform/aic_alpha_image.h"

#include "support/test_files.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoleaf;

namespace {

constexpr QRgb kRed = qRgb(220, 20, 20);
constexpr QRgb kBlue = qRgb(20, 20, 220);

bool near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 &&
           qAbs(qBlue(a) - qBlue(b)) < 24;
}

QString writeSolid(const QString& dir, const QString& name, QSize size, QRgb color) {
    return test::writeImage(dir, name, size, QColor(color));
}

// Noise keeps the decoder busy long enough for a background decode to
// still be running when the test acts.
QString writeNoisyJpeg(const QString& dir, const QString& name, QSize size = {2400, 1800}) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(quint32(qHash(name)));
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) line[x] = random.generate() | 0xff000000u;
    }
    const QString path = dir + "/" + name;
    if (!image.save(path, "jpeg", 90)) qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Gives the file a new modification time, as an editor saving it would.
void touchLater(const QString& path, int seconds) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
}

} // namespace

class TestImageWidget : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::shared_ptr<PreviewCache> cache_;

    std::unique_ptr<aicAlphaImage> makeBox(QSize size = {665, 409}) {
        auto box = std::make_unique<aicAlphaImage>(nullptr, cache_);
        box->resize(size);
        return box;
    }

private slots:
    void init() { cache_ = std::make_shared<PreviewCache>(); }

    void showsFittedAndCentred() {
        auto box = makeBox();
        const QString path = writeSolid(dir_.path(), "page.png", {400, 300}, kRed);
        QVERIFY(box->LoadImage_FromFile(path));
        QCOMPARE(box->currentPath(), path);
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));

        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        const QImage shot = box->grab().toImage();
        QVERIFY(near(shot.pixel(332, 204), kRed));
        QVERIFY(near(shot.pixel(61, 204), kRed));   // first column of the picture
        QVERIFY(!near(shot.pixel(58, 204), kRed));  // margin left of it
        QVERIFY(!near(shot.pixel(608, 204), kRed)); // margin right of it
    }

    void failedLoadKeepsThePreviousPicture() {
        auto box = makeBox();
        const QString good = writeSolid(dir_.path(), "good.png", {40, 30}, kRed);
        QVERIFY(box->LoadImage_FromFile(good));
        const QImage shown = box->currentPreview();

        const QString broken = test::writeBytes(dir_.path(), "broken.jpg", "not an image");
        for (const QString& path : {broken, dir_.filePath("missing.jpg"), QString()}) {
            QVERIFY(!box->LoadImage_FromFile(path));
            QVERIFY(!box->lastError().isEmpty());
            QCOMPARE(box->currentPath(), good);
            QCOMPARE(box->currentPreview(), shown);
        }
        QVERIFY(box->LoadImage_FromFile(good));
        QVERIFY(box->lastError().isEmpty());
    }

    void changedFileIsDecodedAgain() {
        auto box = makeBox();
        const QString path = writeSolid(dir_.path(), "changing.png", {40, 30}, kRed);
        QVERIFY(box->LoadImage_FromFile(path));
        QVERIFY(box->LoadImage_FromFile(path));
        QCOMPARE(box->loaderStats().cacheHits, 1);

        writeSolid(dir_.path(), "changing.png", {40, 30}, kBlue);
        touchLater(path, 10);
        QVERIFY(box->LoadImage_FromFile(path));
        QVERIFY(near(box->currentPreview().pixel(10, 10), kBlue));
        QCOMPARE(box->loaderStats().decodedHere, 2);
    }

    void prefetchedPagesComeFromTheCache() {
        auto box = makeBox();
        const QString a = writeSolid(dir_.path(), "pa.jpg", {800, 600}, kRed);
        const QString b = writeSolid(dir_.path(), "pb.png", {800, 600}, kBlue);
        box->prefetch({a, b, dir_.filePath("absent.jpg"), QString()});
        QVERIFY(box->waitForBackgroundWork());
        QCOMPARE(box->loaderStats().decodedInBackground, 2);
        QCOMPARE(cache_->count(), 2);

        QVERIFY(box->LoadImage_FromFile(b));
        QVERIFY(box->LoadImage_FromFile(a));
        const LoaderStats stats = box->loaderStats();
        QCOMPARE(stats.cacheHits, 2);
        QCOMPARE(stats.decodedHere, 0);
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));
    }

    void pageAskedForDuringItsPrefetchIsDecodedOnce() {
        auto box = makeBox();
        const QString big = writeNoisyJpeg(dir_.path(), "inflight.jpg");
        box->prefetch({big});
        QVERIFY(box->LoadImage_FromFile(big));
        QVERIFY(box->waitForBackgroundWork());
        const LoaderStats stats = box->loaderStats();
        // Either it was still queued (taken over here) or running (waited for).
        QCOMPARE(stats.decodedHere + stats.decodedInBackground, 1);
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));
    }

    void newestHintReplacesQueuedOnes() {
        auto box = makeBox();
        QStringList old;
        for (int i = 0; i < 4; ++i) old << writeNoisyJpeg(dir_.path(), QString("old%1.jpg").arg(i));
        const QString wanted = writeSolid(dir_.path(), "wanted.png", {80, 60}, kBlue);
        box->prefetch(old);
        box->prefetch({wanted});
        QVERIFY(box->waitForBackgroundWork());
        QVERIFY(cache_->contains(*PreviewKey::forFile(wanted, {665, 409})));
        // At most the one already running when the new hint came got decoded.
        QVERIFY(box->loaderStats().decodedInBackground <= 2);
        QVERIFY(!cache_->contains(*PreviewKey::forFile(old[2], {665, 409})));
        QVERIFY(!cache_->contains(*PreviewKey::forFile(old[3], {665, 409})));
    }

    void resizeStretchesThenRefits() {
        auto box = makeBox();
        const QString path = writeSolid(dir_.path(), "refit.png", {400, 300}, kRed);
        QVERIFY(box->LoadImage_FromFile(path));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        box->resize(300, 300);
        // The old preview stays until the new one is decoded off the GUI thread.
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));
        QTRY_COMPARE(box->currentPreview().size(), QSize(300, 225));
        QCOMPARE(box->loaderStats().decodedHere, 1);

        box->resize(665, 409);  // the first size is still cached
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));
    }

    void destroyingTheBoxDuringBackgroundWorkIsSafe() {
        const QString a = writeNoisyJpeg(dir_.path(), "gone-a.jpg");
        const QString b = writeNoisyJpeg(dir_.path(), "gone-b.jpg");
        const QString c = writeNoisyJpeg(dir_.path(), "gone-c.jpg");
        {
            auto box = makeBox();
            box->prefetch({a, b, c});
        }
        // A decode already running still lands in the cache; the queued ones are dropped.
        QVERIFY(waitForImageWorkers(60000));
        QVERIFY(cache_->count() <= 1);

        cache_->clear();
        {
            auto box = makeBox();
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box.get()));
            QVERIFY(box->LoadImage_FromFile(a));
            box->resize(200, 150);  // a refit that would report to a box no longer there
        }
        QVERIFY(waitForImageWorkers(60000));
        QTest::qWait(50);  // deliver whatever was posted
        QVERIFY(cache_->count() >= 1);
    }
};

QTEST_MAIN(TestImageWidget)
#include "test_image_widget.moc"
