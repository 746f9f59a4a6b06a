// The picture box: fitting and centring, keeping the old picture on failure,
// files changed on disk, showing without waiting (superseded and taken-over
// decodes), pictures cut short, background decoding (its bound, and pages
// passed before their decode began) and its lifetime.

#include "platform/aic_alpha_image.h"

#include "support/test_files.h"
#include "support/image_samples.h"

#include "platform/image_exif_writer.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/resource.h>
#include <thread>

using namespace kinoleaf;
using namespace kinoleaf::test;
using ShowState = aicAlphaImage::ShowState;

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

// Gives the file a new modification time, as an editor saving it would.
void touchLater(const QString& path, int seconds) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
}

// Waits, without running the event loop, until the box's prefetching has
// begun the given number of decodes.
bool prefetchesBegun(const aicAlphaImage& box, int count) {
    const QDeadlineTimer deadline(10000);
    while (box.loaderStats().prefetchesStarted < count) {
        if (deadline.hasExpired()) return false;
        QThread::usleep(100);
    }
    return true;
}

QStringList shownPaths(const QSignalSpy& spy) {
    QStringList paths;
    for (const QList<QVariant>& args : spy) paths << args.at(0).toString();
    return paths;
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

    void pagingFasterThanDecodingBeginsOnlyTheNewestPages() {
        auto box = makeBox();
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        QStringList pages;
        for (int i = 0; i < 12; ++i) pages << writeNoisyJpeg(dir_.path(), QString("held%1.jpg").arg(i));
        auto page = [&pages](int i) { return i >= 0 && i < pages.size() ? pages[i] : QString(); };
        // As the main window pages: the page, then its neighbours as hints.
        auto turnTo = [&](int i) {
            QCOMPARE(box->showImage(pages[i]), ShowState::Pending);
            box->prefetch({page(i + 1), page(i - 1), page(i + 2)});
        };
        {
            // Every slot busy meanwhile: each key comes before any decode begins.
            struct Hold {
                Hold() { holdImageWork(true); }
                ~Hold() { holdImageWork(false); }
            } hold;
            for (int i = 0; i < 10; ++i) turnTo(i);
        }
        QVERIFY(shown.wait(10000));
        QVERIFY(box->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(shownPaths(shown), QStringList{pages[9]});
        LoaderStats stats = box->loaderStats();
        // The newest page, its next one beside it, then the other hints one
        // at a time; whatever the keys passed was dropped before it began.
        QCOMPARE(stats.decodedInBackground, 4);
        QCOMPARE(stats.cancelled, stats.dropped);
        QCOMPARE(stats.dropped, 9);
        QVERIFY(stats.mostRunning >= 1 && stats.mostRunning <= imageDecodeSlots());
        for (int i : {8, 9, 10, 11}) QVERIFY(cache_->contains(*PreviewKey::forFile(pages[i], {665, 409})));
        for (int i = 0; i < 8; ++i) QVERIFY(!cache_->contains(*PreviewKey::forFile(pages[i], {665, 409})));

        // Decoding as the keys come, stale decodes winding down included:
        // never more at once than one a core, at most two.
        cache_->clear();
        for (int i = 0; i < 12; ++i) turnTo(i);
        QVERIFY(shown.wait(10000));
        QVERIFY(box->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(shownPaths(shown).last(), pages[11]);
        QVERIFY(imageDecodeSlots() <= 2);
        QVERIFY(box->loaderStats().mostRunning <= imageDecodeSlots());
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

    void showKeepsTheOldPictureUntilDecodedOrFailed() {
        auto box = makeBox();
        const QString old = writeSolid(dir_.path(), "old.png", {40, 30}, kRed);
        QVERIFY(box->LoadImage_FromFile(old));
        const QImage before = box->currentPreview();
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        QSignalSpy failed(box.get(), &aicAlphaImage::imageFailed);

        const QString next = writeNoisyJpeg(dir_.path(), "next.jpg");
        QCOMPARE(box->showImage(next), ShowState::Pending);
        QCOMPARE(box->currentPath(), old);
        QCOMPARE(box->currentPreview(), before);
        QCOMPARE(box->pendingPath(), next);
        QVERIFY(shown.wait(10000));
        QCOMPARE(shownPaths(shown), QStringList{next});
        QCOMPARE(box->currentPath(), next);
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));
        QVERIFY(box->pendingPath().isEmpty());
        QVERIFY(failed.isEmpty());
        const QImage shownPreview = box->currentPreview();

        // Files that can't be decoded at all are told at once.
        QCOMPARE(box->showImage(writeBytes(dir_.path(), "words.png", "no picture here")), ShowState::Failed);
        QCOMPARE(box->lastError(), QStringLiteral("不是能识别的图片格式"));
        QCOMPARE(box->showImage(dir_.filePath("gone.jpg")), ShowState::Failed);
        QCOMPARE(box->lastError(), QStringLiteral("文件不存在"));
        QCOMPARE(box->showImage(writeBytes(dir_.path(), "vast.png", pngHeaderOnly(50000, 40000))), ShowState::Failed);
        QCOMPARE(box->lastError(), QStringLiteral("图片太大（50000×40000 像素），超过 10 亿像素的上限"));
        // The header is fine, the pixels stop early: only decoding tells.
        const QByteArray png = encoded(QImage(200, 100, QImage::Format_RGB32), "png");
        const QString cut = writeBytes(dir_.path(), "cutpixels.png", png.left(png.size() - 30));
        QCOMPARE(box->showImage(cut), ShowState::Pending);
        QVERIFY(failed.wait(10000));
        QCOMPARE(failed.at(0).at(0).toString(), cut);
        QCOMPARE(failed.at(0).at(1).toString(), QStringLiteral("图片数据已损坏，无法解码"));
        QCOMPARE(box->lastError(), QStringLiteral("图片数据已损坏，无法解码"));
        QCOMPARE(box->currentPath(), next);
        QCOMPARE(box->currentPreview(), shownPreview);
        QVERIFY(box->pendingPath().isEmpty());

        // Cached now: shown at once, and the caller, told so, gets no signal.
        QVERIFY(box->LoadImage_FromFile(old));
        QCOMPARE(box->showImage(next), ShowState::Shown);
        QCOMPARE(box->currentPath(), next);
        QVERIFY(box->lastError().isEmpty());
        QTest::qWait(20);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(failed.size(), 1);
    }

    void newerRequestSupersedesAPendingShow() {
        auto box = makeBox();
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        QSignalSpy failed(box.get(), &aicAlphaImage::imageFailed);
        const QString stale = writeNoisyJpeg(dir_.path(), "stale.jpg");
        const QString wanted = writeSolid(dir_.path(), "wanted2.png", {40, 30}, kBlue);
        QCOMPARE(box->showImage(stale), ShowState::Pending);
        QCOMPARE(box->showImage(wanted), ShowState::Pending);
        QVERIFY(shown.wait(10000));
        QVERIFY(box->waitForBackgroundWork());
        QTest::qWait(20);  // anything else posted arrives
        QCOMPARE(shownPaths(shown), QStringList{wanted});
        QVERIFY(failed.isEmpty());
        QCOMPARE(box->currentPath(), wanted);
        LoaderStats stats = box->loaderStats();
        QCOMPARE(stats.showsStarted, 2);
        QCOMPARE(stats.cancelled, 1);
        QCOMPARE(stats.decodedInBackground, 1);
        // Cut short, the stale picture must not pass for decoded.
        QVERIFY(!cache_->contains(*PreviewKey::forFile(stale, {665, 409})));

        // A result already on its way when the next request comes is dropped
        // on arrival: the decode is done, its event not yet delivered.
        const QString earlier = writeSolid(dir_.path(), "earlier.png", {40, 30}, kRed);
        QCOMPARE(box->showImage(earlier), ShowState::Pending);
        QVERIFY(box->waitForBackgroundWork());
        QCOMPARE(box->showImage(stale), ShowState::Pending);
        QVERIFY(shown.wait(10000));
        QCOMPARE(shownPaths(shown), (QStringList{wanted, stale}));
        QCOMPARE(box->currentPath(), stale);
        cache_->clear();

        // A failing request supersedes too: the user has moved on.
        QCOMPARE(box->showImage(stale), ShowState::Pending);
        QCOMPARE(box->showImage(dir_.filePath("absent.png")), ShowState::Failed);
        QVERIFY(box->pendingPath().isEmpty());

        // And so does a synchronous load.
        QCOMPARE(box->showImage(stale), ShowState::Pending);
        const QString red = writeSolid(dir_.path(), "sync.png", {40, 30}, kRed);
        QVERIFY(box->LoadImage_FromFile(red));
        QVERIFY(box->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(shown.size(), 2);
        QVERIFY(failed.isEmpty());
        QCOMPARE(box->currentPath(), red);
        QVERIFY(box->pendingPath().isEmpty());
        stats = box->loaderStats();
        QCOMPARE(stats.cancelled, 3);
        QCOMPARE(stats.decodedHere, 1);
    }

    void prefetchAndShowShareTheirWork() {
        auto box = makeBox();
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        const QString page = writeNoisyJpeg(dir_.path(), "ahead.jpg");
        const QString after = writeNoisyJpeg(dir_.path(), "after.jpg");
        box->prefetch({page, after});
        QVERIFY(prefetchesBegun(*box, 1));
        QCOMPARE(box->showImage(page), ShowState::Pending);
        QVERIFY(shown.wait(10000));
        QVERIFY(box->waitForBackgroundWork());
        LoaderStats stats = box->loaderStats();
        QCOMPARE(stats.showsAdopted, 1);
        QCOMPARE(stats.showsStarted, 0);
        QCOMPARE(stats.decodedInBackground, 2);
        QCOMPARE(box->currentPath(), page);
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));

        // Left while still hinted, a taken-over prefetch goes on into the
        // cache: only the show is dropped.
        const QString third = writeNoisyJpeg(dir_.path(), "third.jpg");
        const QString small = writeSolid(dir_.path(), "small.png", {40, 30}, kRed);
        box->prefetch({third});
        QVERIFY(prefetchesBegun(*box, 3));
        QCOMPARE(box->showImage(third), ShowState::Pending);
        QCOMPARE(box->showImage(small), ShowState::Pending);
        QVERIFY(box->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(shownPaths(shown), (QStringList{page, small}));
        stats = box->loaderStats();
        QCOMPARE(stats.showsAdopted, 2);
        QCOMPARE(stats.cancelled, 0);
        QVERIFY(cache_->contains(*PreviewKey::forFile(third, {665, 409})));

        // A prefetch no longer hinted is of no use: cancelled, not cached.
        const QString unwanted = writeNoisyJpeg(dir_.path(), "unwanted.jpg");
        box->prefetch({unwanted});
        QVERIFY(prefetchesBegun(*box, 4));
        box->prefetch({small});
        QVERIFY(box->waitForBackgroundWork());
        QCOMPARE(box->loaderStats().cancelled, 1);
        QVERIFY(!cache_->contains(*PreviewKey::forFile(unwanted, {665, 409})));
    }

    // While the page asked for decodes, its box guesses nothing beside it:
    // the guess would share the cores and memory the page needs now.
    void hintsWaitForThePageShown() {
        if (imageDecodeSlots() < 2) QSKIP("one decode slot: nothing runs beside the page anyway");
        auto box = makeBox();
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        const QString page = writeNoisyJpeg(dir_.path(), "waitpage.jpg");
        const QStringList next{writeNoisyJpeg(dir_.path(), "wait1.jpg"), writeNoisyJpeg(dir_.path(), "wait2.jpg")};
        QCOMPARE(box->showImage(page), ShowState::Pending);
        box->prefetch(next);
        QVERIFY(shown.wait(10000));
        QVERIFY(box->waitForBackgroundWork());
        QCOMPARE(box->loaderStats().prefetchesStarted, 2);
        QCOMPARE(box->loaderStats().mostRunning, 1);
        for (const QString& path : next) QVERIFY(cache_->contains(*PreviewKey::forFile(path, {665, 409})));
    }

    void showDoesNotWaitForPrefetching() {
        // Two boxes prefetching keep every prefetch thread busy.
        auto box = makeBox();
        auto other = makeBox();
        QStringList ahead, otherAhead;
        for (int i = 0; i < 3; ++i) {
            ahead << writeNoisyJpeg(dir_.path(), QString("queue%1.jpg").arg(i));
            otherAhead << writeNoisyJpeg(dir_.path(), QString("other%1.jpg").arg(i));
        }
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        box->prefetch(ahead);
        other->prefetch(otherAhead);
        QVERIFY(prefetchesBegun(*box, 1) && prefetchesBegun(*other, 1));
        QCOMPARE(box->showImage(writeSolid(dir_.path(), "now.png", {40, 30}, kRed)), ShowState::Pending);
        QVERIFY(shown.wait(10000));
        // On screen while the hints are still being decoded.
        QVERIFY(!box->waitForBackgroundWork(0));
        QVERIFY(!other->waitForBackgroundWork(0));
        QVERIFY(box->waitForBackgroundWork() && other->waitForBackgroundWork());
    }

    void pictureCutShortIsShownAndFlagged() {
        auto box = makeBox();
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(kRed);
        const QByteArray jpeg = encoded(image, "jpeg");
        const QString cut = writeBytes(dir_.path(), "half.jpg", jpeg.left(jpeg.size() / 2));
        const QString whole = writeBytes(dir_.path(), "whole.jpg", jpeg);
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);

        QCOMPARE(box->showImage(cut), ShowState::Pending);
        QVERIFY(shown.wait(10000));
        QCOMPARE(box->currentPath(), cut);
        QVERIFY(box->currentIncomplete());
        QVERIFY(near(box->currentPreview().pixel(200, 20), kRed));
        QCOMPARE(box->showImage(whole), ShowState::Pending);
        QVERIFY(shown.wait(10000));
        QVERIFY(!box->currentIncomplete());

        QCOMPARE(box->showImage(cut), ShowState::Shown);  // the flag is kept in the cache
        QVERIFY(box->currentIncomplete());
    }

    // A page still decoding shows its embedded thumbnail at once, scaled up
    // to where its picture will be; the box's picture stays the old one
    // until the decode ends, and goes back to it when the decode fails.
    void quickPreviewStandsInUntilTheFullPicture() {
        auto box = makeBox();
        const QString old = writeSolid(dir_.path(), "qold.png", {40, 30}, kBlue);
        QVERIFY(box->LoadImage_FromFile(old));
        QSignalSpy quick(box.get(), &aicAlphaImage::quickPreviewShown);
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        QSignalSpy failed(box.get(), &aicAlphaImage::imageFailed);
        QImage red(160, 120, QImage::Format_RGB32);
        red.fill(kRed);
        const QByteArray noisy = readBytes(writeNoisyJpeg(dir_.path(), "qnoise.jpg"));
        const QString next = writeBytes(dir_.path(), "qnext.jpg", withExifThumbnail(noisy, red));
        auto screenAt = [&](int x, int y) { return box->grab().toImage().pixel(x, y); };

        QCOMPARE(box->showImage(next), ShowState::Pending);
        QCOMPARE(box->quickPreviewPath(), next);
        QCOMPARE(shownPaths(quick), QStringList{next});
        QCOMPARE(box->currentPath(), old);
        QCOMPARE(box->pendingPath(), next);
        // 4:3 in 665x409: 545 wide from x 60, as the full picture will be.
        QVERIFY(near(screenAt(62, 2), kRed));
        QVERIFY(near(screenAt(602, 406), kRed));
        QVERIFY(!near(screenAt(57, 200), kRed));
        QVERIFY(shown.wait(10000));
        QVERIFY(box->quickPreviewPath().isEmpty());
        QCOMPARE(box->currentPath(), next);
        QCOMPARE(box->currentPreview().size(), QSize(545, 409));
        QCOMPARE(screenAt(332, 204), box->currentPreview().pixel(272, 204));

        // A thumbnail source comes first; a failed decode takes the preview
        // away and leaves the picture as it was, as without one.
        QImage green(64, 48, QImage::Format_RGB32);
        green.fill(qRgb(20, 200, 20));
        QStringList asked;
        box->setThumbnailSource([&](const QString& path, int minSide) -> std::optional<QImage> {
            asked << QString("%1 %2").arg(QFileInfo(path).fileName()).arg(minSide);
            return green;
        });
        // The second start-of-image in the scan is an error only the decode meets.
        const QString broken = writeBytes(dir_.path(), "qbroken.jpg",
                                          noisy.left(noisy.size() / 2) + "\xFF\xD8" + noisy.mid(noisy.size() / 2));
        QCOMPARE(box->showImage(broken), ShowState::Pending);
        QCOMPARE(asked, QStringList{"qbroken.jpg 256"});
        QCOMPARE(box->quickPreviewPath(), broken);
        QVERIFY(near(screenAt(332, 204), qRgb(20, 200, 20)));
        QVERIFY(failed.wait(10000));
        QVERIFY(box->quickPreviewPath().isEmpty());
        QCOMPARE(box->currentPath(), next);
        QCOMPARE(screenAt(332, 204), box->currentPreview().pixel(272, 204));
        QCOMPARE(shown.size(), 1);

        // Given up: back to the picture, no signal.
        QCOMPARE(box->showImage(writeNoisyJpeg(dir_.path(), "qplain.jpg")), ShowState::Pending);
        QVERIFY(!box->quickPreviewPath().isEmpty());
        box->cancelPending();
        QVERIFY(box->quickPreviewPath().isEmpty());
        QCOMPARE(screenAt(332, 204), box->currentPreview().pixel(272, 204));
        // Never taken for the picture: the cache holds none for the pages.
        QVERIFY(box->waitForBackgroundWork());
        QVERIFY(!cache_->contains(*PreviewKey::forFile(broken, {665, 409})));
        QTest::qWait(20);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(quick.size(), 3);
    }

    // A progressive JPEG decodes into memory the size of its coefficients,
    // zeroed before a byte of its scans is read; faulting it in afresh for
    // each decode cost more than the rest of the decode, and no cancel could
    // cut it short. Decodes after the first find that memory at hand.
    void decodesReuseTheMemoryOfTheOnesBefore() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer's allocator replaces the system's; its reuse of memory is its own");
#endif
        QImageWriter writer(dir_.filePath("progressive.jpg"), "jpeg");
        writer.setProgressiveScanWrite(true);
        QImage noise(2400, 1800, QImage::Format_RGB32);
        noise.fill(kRed);
        QVERIFY(writer.write(noise));
        auto faultsOfDecode = [&] {
            long faults = -1;
            std::thread([&] {
                rusage before{}, after{};
                getrusage(RUSAGE_THREAD, &before);
                if (decodePreview(dir_.filePath("progressive.jpg"), {600, 450}).ok()) {
                    getrusage(RUSAGE_THREAD, &after);
                    faults = after.ru_minflt - before.ru_minflt;
                }
            }).join();
            return faults;
        };
        // Memory goes back to the system only once every worker has rested.
        QVERIFY(waitForImageWorkers(60000));
        const long first = faultsOfDecode();
        const long second = faultsOfDecode();
        // 2400x1800 at 4:2:0 holds 13 MB of coefficients: 3,300 pages.
        QVERIFY2(first >= 0 && second >= 0 && second < 400,
                 qPrintable(QString("%1 then %2").arg(first).arg(second)));
    }

    void resizeWhilePendingDecodesForTheNewSize() {
        auto box = makeBox();
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QSignalSpy shown(box.get(), &aicAlphaImage::imageShown);
        QCOMPARE(box->showImage(writeNoisyJpeg(dir_.path(), "resized.jpg")), ShowState::Pending);
        box->resize(300, 300);
        QVERIFY(shown.wait(10000));
        QCOMPARE(box->currentPreview().size(), QSize(300, 225));
        QVERIFY(box->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(box->loaderStats().cancelled, 1);
    }

    void destroyingTheBoxWithAPendingShowIsSafe() {
        const QString page = writeNoisyJpeg(dir_.path(), "orphan.jpg");
        const QString taken = writeNoisyJpeg(dir_.path(), "orphan-taken.jpg");
        int signalled = 0;
        {
            auto box = makeBox();
            connect(box.get(), &aicAlphaImage::imageShown, this, [&signalled] { ++signalled; });
            QCOMPARE(box->showImage(page), ShowState::Pending);
        }
        {
            auto box = makeBox();
            connect(box.get(), &aicAlphaImage::imageShown, this, [&signalled] { ++signalled; });
            box->prefetch({taken});
            QVERIFY(prefetchesBegun(*box, 1));
            QCOMPARE(box->showImage(taken), ShowState::Pending);
        }
        QVERIFY(waitForImageWorkers(60000));
        QTest::qWait(20);  // deliver whatever was posted
        QCOMPARE(signalled, 0);
        // Nobody is left to see the show's own decode; a prefetch it took
        // over still fills the cache, like any running prefetch.
        QVERIFY(!cache_->contains(*PreviewKey::forFile(page, {665, 409})));
        QVERIFY(cache_->contains(*PreviewKey::forFile(taken, {665, 409})));
    }

    void hugePicturesAreNotDecodedOnAGuess() {
        auto box = makeBox();
        // 400 megapixels of PNG decode at full size first: only when shown
        const QString huge = writeBytes(dir_.path(), "huge.png", pngHeaderOnly(20000, 20000));
        const QString next = writeSolid(dir_.path(), "next.png", {40, 30}, kRed);
        box->prefetch({huge, next});
        QVERIFY(box->waitForBackgroundWork());
        QCOMPARE(box->loaderStats().decodedInBackground, 1);
        QVERIFY(cache_->contains(*PreviewKey::forFile(next, {665, 409})));
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
