// Times the picture box the way a reader uses it: opening a page never seen
// before (against libjpeg-turbo's own djpeg on the same file), paging with a
// key held down (a showImage every 30 ms), and stepping through pages with a
// pause on each while the neighbours are decoded in the background. Also
// compares the ways of scaling per format, which is what the decoder's
// choice rests on.
//
// Usage: bench_image [pages [section...]]   (run on the offscreen platform)
// Sections: compare, paging, strategies, sync; all when none is named.

#include "bench_support.h"
#include "platform/aic_alpha_image.h"
#include "platform/image_gif_encoder.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

const QSize kBox(665, 409);  // the editor's picture box
constexpr int kKeyRepeatMs = 30;
constexpr int kComparisonRuns = 11;
constexpr int kPagingRuns = 5;
const char* const kDjpeg = "/usr/bin/djpeg";

// The DCT scale Qt's JPEG reader picks for a fitted size: M/8 with the
// smallest M whose output still covers it.
int qtScaleEighths(QSize source, QSize fitted) {
    const double f = std::min(double(source.width()) / fitted.width(), double(source.height()) / fitted.height());
    return std::clamp(int(std::ceil(8 / f)), 1, 8);
}

// The largest 1/2^k that still covers the fitted size, in eighths.
int powerOfTwoEighths(QSize source, QSize fitted) {
    int eighths = 8;
    while (eighths > 1 && source.width() * (eighths / 2) >= fitted.width() * 8 &&
           source.height() * (eighths / 2) >= fitted.height() * 8)
        eighths /= 2;
    return eighths;
}

// "1/4" for 2 eighths, "3/8" for 3.
QString scaleText(int eighths) {
    const int common = std::gcd(eighths, 8);
    return QString("%1/%2").arg(eighths / common).arg(8 / common);
}

struct Cost {
    double cpuMs = 0;
    double wallMs = 0;
};

Cost runDjpeg(int eighths, const QString& path) {
    const QByteArray scale = QByteArray::number(eighths) + "/8";
    const QByteArray file = QFile::encodeName(path);
    const char* argv[] = {"djpeg", "-scale", scale.constData(), "-outfile", "/dev/null", file.constData(), nullptr};
    QElapsedTimer wall;
    wall.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, kDjpeg, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) qFatal("cannot start djpeg");
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("djpeg failed on %s", qPrintable(path));
    return {rusageMs(usage), msSince(wall)};
}

struct OurCost {
    double threadCpuMs = 0;
    double processCpuMs = 0;
    double wallMs = 0;
};

OurCost runOurs(const QString& path) {
    QElapsedTimer wall;
    const double process0 = processCpuMs();
    const double thread0 = threadCpuMs();
    wall.start();
    const PreviewResult r = decodePreview(path, kBox);
    const double wallMs = msSince(wall);
    const double thread1 = threadCpuMs();
    const double process1 = processCpuMs();
    if (!r.ok()) qFatal("cannot decode %s: %s", qPrintable(path), qPrintable(r.error));
    return {thread1 - thread0, process1 - process0, wallMs};
}

// A page never seen before at full preview quality, against djpeg decoding
// the same file at the same DCT scale, runs interleaved.
double compareWithDjpeg(const QString& label, const QString& path, QSize source) {
    const QSize fitted = fitSize(source, kBox);
    const int used = qtScaleEighths(source, fitted);
    const int power = powerOfTwoEighths(source, fitted);
    const bool haveDjpeg = QFileInfo(kDjpeg).isExecutable();
    std::vector<int> scales{used};
    if (power != used) scales.push_back(power);

    std::printf("%s into %dx%d (fitted %dx%d), %d runs each, interleaved:\n", qPrintable(label), kBox.width(),
                kBox.height(), fitted.width(), fitted.height(), kComparisonRuns);
    runOurs(path);  // the file in the page cache, the plugin loaded
    if (haveDjpeg) for (int s : scales) runDjpeg(s, path);

    std::vector<double> ourThread, ourProcess, ourWall;
    std::vector<std::vector<double>> djCpu(scales.size()), djWall(scales.size());
    for (int run = 0; run < kComparisonRuns; ++run) {
        const OurCost ours = runOurs(path);
        ourThread.push_back(ours.threadCpuMs);
        ourProcess.push_back(ours.processCpuMs);
        ourWall.push_back(ours.wallMs);
        if (!haveDjpeg) continue;
        for (size_t i = 0; i < scales.size(); ++i) {
            const Cost c = runDjpeg(scales[i], path);
            djCpu[i].push_back(c.cpuMs);
            djWall[i].push_back(c.wallMs);
        }
    }
    std::printf("  ours (decodePreview)       CPU %s ms (thread; whole process %s ms)\n",
                qPrintable(figures(ourThread)), qPrintable(figures(ourProcess)));
    std::printf("                             wall %s ms\n", qPrintable(figures(ourWall)));
    if (!haveDjpeg) {
        std::printf("  note: %s not found (Debian package libjpeg-turbo-progs); comparison skipped\n", kDjpeg);
        return median(ourWall);
    }
    for (size_t i = 0; i < scales.size(); ++i) {
        const bool isUsed = scales[i] == used;
        const QString name = "djpeg -scale " + scaleText(scales[i]);
        std::printf("  %-26s CPU %s ms (child, wait4)\n", qPrintable(name), qPrintable(figures(djCpu[i])));
        std::printf("                             wall %s ms (spawn to exit)\n", qPrintable(figures(djWall[i])));
        std::printf("  ratio of medians, ours / %s%s: CPU %.2fx, wall %.2fx%s\n", qPrintable(name),
                    isUsed ? " (the scale the decoder uses)" : " (largest 1/2^k covering the fit)",
                    median(ourThread) / median(djCpu[i]), median(ourWall) / median(djWall[i]),
                    isUsed ? "   [target: within 1.15x]" : "");
    }
    return median(ourWall);
}

struct PagingRun {
    std::vector<double> callMs;  // inside showImage (and prefetch, when hinting)
    std::vector<double> callCpuMs;
    double lastShownMs = -1;     // from the last key to its imageShown
    int shownAtOnce = 0;
    LoaderStats stats;
};

// Holds "next" down: one showImage every 30 ms from a QTimer, the way key
// repeat drives the window. With hints, each key also hints the neighbours
// as the main window does.
PagingRun pageThrough(const QStringList& pages, bool hint) {
    auto box = std::make_unique<aicAlphaImage>(nullptr, std::make_shared<PreviewCache>());
    box->resize(kBox);
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get())) qFatal("window not exposed");

    PagingRun run;
    QEventLoop loop;
    QElapsedTimer sinceLastKey;
    const QString last = pages.back();
    int next = 0;
    QObject::connect(box.get(), &aicAlphaImage::imageShown, &loop, [&](const QString& path) {
        if (path == last && sinceLastKey.isValid()) {
            run.lastShownMs = msSince(sinceLastKey);
            loop.quit();
        }
    });
    QObject::connect(box.get(), &aicAlphaImage::imageFailed, &loop, [](const QString& path, const QString& reason) {
        qFatal("cannot show %s: %s", qPrintable(path), qPrintable(reason));
    });
    QTimer keys;
    keys.setTimerType(Qt::PreciseTimer);
    keys.setInterval(kKeyRepeatMs);
    QObject::connect(&keys, &QTimer::timeout, &loop, [&] {
        const int i = next++;
        const bool isLast = i + 1 == pages.size();
        QElapsedTimer call;
        call.start();
        const double cpu0 = threadCpuMs();
        if (isLast) sinceLastKey.start();
        const aicAlphaImage::ShowState state = box->showImage(pages[i]);
        if (hint) {
            QStringList neighbours;
            for (int r : {i + 1, i - 1, i + 2})
                if (r >= 0 && r < pages.size()) neighbours << pages[r];
            box->prefetch(neighbours);
        }
        run.callMs.push_back(msSince(call));
        run.callCpuMs.push_back(threadCpuMs() - cpu0);
        if (state == aicAlphaImage::ShowState::Failed) qFatal("cannot show %s", qPrintable(pages[i]));
        if (state == aicAlphaImage::ShowState::Shown) ++run.shownAtOnce;
        if (isLast) {
            keys.stop();
            if (state == aicAlphaImage::ShowState::Shown) {
                run.lastShownMs = msSince(sinceLastKey);
                loop.quit();
            }
        }
    });
    QTimer::singleShot(60000, &loop, [] { qFatal("paging did not finish"); });
    keys.start();
    loop.exec();
    box->waitForBackgroundWork();
    run.stats = box->loaderStats();
    return run;
}

void benchPaging(const QString& label, const QStringList& pages, double singleDecodeMs) {
    std::printf("%s, %lld pages, a showImage every %d ms, %d runs each:\n", qPrintable(label),
                qlonglong(pages.size()), kKeyRepeatMs, kPagingRuns);
    for (bool hint : {false, true}) {
        std::vector<double> calls, callsCpu, lastShown;
        int shownAtOnce = 0, cancelled = 0, adopted = 0, started = 0;
        for (int run = 0; run < kPagingRuns; ++run) {
            const PagingRun r = pageThrough(pages, hint);
            calls.insert(calls.end(), r.callMs.begin(), r.callMs.end());
            callsCpu.insert(callsCpu.end(), r.callCpuMs.begin(), r.callCpuMs.end());
            lastShown.push_back(r.lastShownMs);
            shownAtOnce += r.shownAtOnce;
            cancelled += r.stats.cancelled;
            adopted += r.stats.showsAdopted;
            started += r.stats.showsStarted;
        }
        std::printf("  %s\n", hint ? "with neighbours hinted (as the main window does):"
                                   : "showImage alone:");
        std::printf("    inside each call: wall median %.3f ms, max %.3f ms; CPU median %.3f ms, max %.3f ms "
                    "(%lld calls)\n",
                    median(calls), maximum(calls), median(callsCpu), maximum(callsCpu), qlonglong(calls.size()));
        std::printf("    last key to imageShown of the last page: %s ms\n", qPrintable(figures(lastShown)));
        std::printf("    single decode of an unseen page: %.1f ms; plus one 16.7 ms frame: %.1f ms\n",
                    singleDecodeMs, singleDecodeMs + 16.7);
        std::printf("    per run: %.1f shown from the cache, %.1f decodes started, %.1f prefetches taken over, "
                    "%.1f decodes cancelled\n",
                    double(shownAtOnce) / kPagingRuns, double(started) / kPagingRuns,
                    double(adopted) / kPagingRuns, double(cancelled) / kPagingRuns);
    }
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

    std::printf("%s\n  page not seen before (LoadImage_FromFile): median %6.1f ms, max %6.1f ms (%lld pages); "
                "paint %.3f ms\n",
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
        std::printf("  LoadImage_FromFile stepping, %d ms on each page: next median %5.1f ms (max %5.1f), "
                    "previous median %5.1f ms (max %5.1f); hits %d, waited %d, decoded here %d\n",
                    pauseMs, median(forward), maximum(forward), median(backward), maximum(backward),
                    stats.cacheHits, stats.waitedForBackground, stats.decodedHere);
        box->waitForBackgroundWork();
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    const int pageCount = argc > 1 ? std::max(3, std::atoi(argv[1])) : 24;

    std::printf("Processor: %s\n", qPrintable(processorName()));
    QTemporaryDir dir;
    std::printf("Generating %d pages per JPEG set...\n", pageCount);
    const QStringList bigJpeg = writePages(dir.path(), {4000, 3000}, "jpg", pageCount);
    const QStringList hdJpeg = writePages(dir.path(), {1920, 1080}, "jpg", pageCount);
    const QStringList hdPng = writePages(dir.path(), {1920, 1080}, "png", 10);
    const QStringList bigPng = writePages(dir.path(), {4000, 3000}, "png", 1);
    const QStringList hdBmp = writePages(dir.path(), {1920, 1080}, "bmp", 1);
    const QString hdGif = QDir(dir.path()).filePath("p0_1920x1080.gif");
    {
        QFile gif(hdGif);
        if (!gif.open(QIODevice::WriteOnly) || gif.write(encodeSimpleGif(photoLike({1920, 1080}, 1))) < 0)
            qFatal("cannot write %s", qPrintable(hdGif));
    }

    QStringList sections;
    for (int i = 2; i < argc; ++i) sections << QString::fromLocal8Bit(argv[i]);
    auto wanted = [&sections](const char* name) { return sections.isEmpty() || sections.contains(name); };

    double bigDecodeMs = 0, hdDecodeMs = 0;
    if (wanted("compare") || wanted("paging")) {
        std::printf("\n== Unseen page at full preview quality vs djpeg\n");
        bigDecodeMs = compareWithDjpeg("JPEG 4000x3000 q90", bigJpeg[0], {4000, 3000});
        hdDecodeMs = compareWithDjpeg("JPEG 1920x1080 q90", hdJpeg[0], {1920, 1080});
    }
    if (wanted("paging")) {
        std::printf("\n== Paging with a key held down (showImage)\n");
        benchPaging("JPEG 1920x1080", hdJpeg, hdDecodeMs);
        benchPaging("JPEG 4000x3000", bigJpeg, bigDecodeMs);
    }
    if (wanted("strategies")) {
        std::printf("\n== Scaling strategies, decoding into %dx%d, median of 5:\n", kBox.width(), kBox.height());
        compareStrategies("JPEG 4000x3000", bigJpeg[0]);
        compareStrategies("JPEG 1920x1080", hdJpeg[0]);
        compareStrategies("PNG 4000x3000", bigPng[0]);
        compareStrategies("PNG 1920x1080", hdPng[0]);
        compareStrategies("BMP 1920x1080", hdBmp[0]);
        compareStrategies("GIF 1920x1080", hdGif);
    }
    if (wanted("sync")) {
        std::printf("\n== Synchronous loading\n");
        benchPages("JPEG 4000x3000", bigJpeg.mid(0, 10));
        benchPages("JPEG 1920x1080", hdJpeg.mid(0, 10));
        benchPages("PNG 1920x1080", hdPng);
    }
    return 0;
}
