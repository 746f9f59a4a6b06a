// Times the picture box the way a reader uses it: opening a page never seen
// before, and stepping through pages with a pause on each while the
// neighbours are decoded in the background. Also compares the ways of
// scaling per format, which is what the decoder's choice rests on.
//
// Usage: bench_image [pages]   (run on the offscreen platform)

#include "platform/aic_alpha_image.h"
#include "platform/image_gif_encoder.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace kinoleaf;

namespace {

const QSize kBox(665, 409);  // the editor's picture box

// A gradient with noise: compresses about as badly as a photo does.
QImage photoLike(QSize size, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    std::minstd_rand random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int g = 255 * y / size.height();
        for (int x = 0; x < size.width(); ++x) {
            const int r = 255 * x / size.width();
            const int noise = int(random() % 41) - 20;
            line[x] = qRgb(std::clamp(r + noise, 0, 255), std::clamp(g + noise, 0, 255),
                           std::clamp(128 + (r - g) / 4 + noise / 2, 0, 255));
        }
    }
    return image;
}

QStringList writePages(const QString& dir, QSize size, const char* format, int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(dir).filePath(QString("p%1_%2x%3.%4")
                                                    .arg(i).arg(size.width()).arg(size.height()).arg(format));
        if (!photoLike(size, unsigned(i + 1) * 7919u).save(path, format, 90)) qFatal("cannot write %s", qPrintable(path));
        paths << path;
    }
    return paths;
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// Load and paint: what the user waits for after pressing "next".
double showPage(aicAlphaImage& box, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    if (!box.LoadImage_FromFile(path)) qFatal("cannot show %s: %s", qPrintable(path), qPrintable(box.lastError()));
    box.repaint();
    return msSince(timer);
}

void compareStrategies(const QString& label, const QString& path) {
    const struct { ScaleStrategy strategy; const char* name; } strategies[] = {
        {ScaleStrategy::ScaledRead, "scaled read"},
        {ScaleStrategy::DecodeThenSmooth, "decode+smooth"},
        {ScaleStrategy::DecodeThenTwoStep, "decode+two-step"},
    };
    std::printf("  %-22s %6.1f MB ", qPrintable(label), double(QFileInfo(path).size()) / 1e6);
    for (const auto& s : strategies) {
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            if (!decodePreview(path, kBox, s.strategy).ok()) qFatal("decode failed");
            times.push_back(msSince(timer));
        }
        std::printf(" %s %6.1f ms |", s.name, median(times));
    }
    std::printf("  auto picks: %s\n",
                strategyForFormat(decodePreview(path, {1, 1}).format) == ScaleStrategy::ScaledRead
                    ? "scaled read" : "decode+smooth");
}

void benchPages(const QString& label, const QStringList& pages) {
    auto box = std::make_unique<aicAlphaImage>(nullptr, std::make_shared<PreviewCache>());
    box->resize(kBox);
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get())) qFatal("window not exposed");

    std::vector<double> unseen;
    for (const QString& page : pages) unseen.push_back(showPage(*box, page));

    std::vector<double> paints;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer timer;
        timer.start();
        box->repaint();
        paints.push_back(msSince(timer));
    }

    std::printf("%s\n  page not seen before: median %6.1f ms, max %6.1f ms (%lld pages); paint %.3f ms\n",
                qPrintable(label), median(unseen), maximum(unseen), qlonglong(pages.size()), median(paints));

    // Stepping like a reader: forward to the end and back, pausing on each page.
    for (int pauseMs : {300, 100, 30}) {
        box = std::make_unique<aicAlphaImage>(nullptr, std::make_shared<PreviewCache>());
        box->resize(kBox);
        box->show();
        if (!QTest::qWaitForWindowExposed(box.get())) qFatal("window not exposed");
        std::vector<int> order;
        for (int i = 0; i < pages.size(); ++i) order.push_back(i);
        for (int i = int(pages.size()) - 2; i >= 0; --i) order.push_back(i);

        std::vector<double> forward, backward;
        for (size_t step = 0; step < order.size(); ++step) {
            const int i = order[step];
            const double ms = showPage(*box, pages[i]);
            if (step > 0) (step < size_t(pages.size()) ? forward : backward).push_back(ms);
            QStringList hints;
            if (i > 0) hints << pages[i - 1];
            if (i + 1 < pages.size()) hints << pages[i + 1];
            box->prefetch(hints);
            QTest::qWait(pauseMs);
        }
        const LoaderStats stats = box->loaderStats();
        std::printf("  stepping, %d ms on each page: next median %5.1f ms (max %5.1f), previous median %5.1f ms "
                    "(max %5.1f); hits %d, waited %d, decoded here %d\n",
                    pauseMs, median(forward), maximum(forward), median(backward), maximum(backward),
                    stats.cacheHits, stats.waitedForBackground, stats.decodedHere);
        box->waitForBackgroundWork();
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int pageCount = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10;

    QTemporaryDir dir;
    std::printf("Generating %d pages per set...\n", pageCount);
    const QStringList bigJpeg = writePages(dir.path(), {4000, 3000}, "jpg", pageCount);
    const QStringList hdJpeg = writePages(dir.path(), {1920, 1080}, "jpg", pageCount);
    const QStringList hdPng = writePages(dir.path(), {1920, 1080}, "png", pageCount);
    const QStringList bigPng = writePages(dir.path(), {4000, 3000}, "png", 1);
    const QStringList hdBmp = writePages(dir.path(), {1920, 1080}, "bmp", 1);
    const QString hdGif = QDir(dir.path()).filePath("p0_1920x1080.gif");
    {
        QFile gif(hdGif);
        if (!gif.open(QIODevice::WriteOnly) || gif.write(encodeSimpleGif(photoLike({1920, 1080}, 1))) < 0)
            qFatal("cannot write %s", qPrintable(hdGif));
    }

    std::printf("\nDecoding into %dx%d, median of 5:\n", kBox.width(), kBox.height());
    compareStrategies("JPEG 4000x3000", bigJpeg[0]);
    compareStrategies("JPEG 1920x1080", hdJpeg[0]);
    compareStrategies("PNG 4000x3000", bigPng[0]);
    compareStrategies("PNG 1920x1080", hdPng[0]);
    compareStrategies("BMP 1920x1080", hdBmp[0]);
    compareStrategies("GIF 1920x1080", hdGif);

    std::printf("\n");
    benchPages("JPEG 4000x3000", bigJpeg);
    benchPages("JPEG 1920x1080", hdJpeg);
    benchPages("PNG 1920x1080", hdPng);
    return 0;
}
