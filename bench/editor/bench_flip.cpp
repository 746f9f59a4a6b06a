// Paging with Shift+Right held, through the main window as a user does it:
// a key every 30 ms goes to the focused intro box, the window's key handling
// selects the next row, fills the intro box and asks the picture box for the
// page; the window is repainted after every key. Pages are JPEG photos never
// seen before (the preview cache is emptied before each run).
//   bench_flip [runs [set...]]   (sets: hd 12mp held held-exif; all by default)
// Four sets of pages: 21 of 1920x1080, 21 of 4000x3000, and 299 of
// 4000x3000 of which one in four is progressive (a progressive picture is
// held whole in memory while it decodes), once as Qt and cjpeg write them
// and once with a 160x120 EXIF thumbnail in each, as cameras write them.
// Each set runs in a process of its own, so its peak memory is its own.
// Reports the CPU and wall time of each key's handling and repaint, the CPU
// the background decoding took, how many pages had their full picture on
// screen on the way and how many had a picture in some form (a quick
// preview or the full one), the peak memory, and how long after the last
// key the last page's picture is complete, next to the time one decode of
// such a page takes.

#include "bench_support.h"
#include "editor/IntroTextBox.h"
#include "editor/PicMovieWnd.h"
#include "platform/aic_alpha_image.h"
#include "platform/dir_list_box.h"
#include "platform/image_exif_writer.h"
#include "platform/preview_cache.h"
#include "platform/preview_decoder.h"
#include "platform/quick_preview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QKeyEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unistd.h>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kKeyIntervalMs = 30;

struct PageSet {
    const char* id;
    const char* label;
    QSize size;
    int pages;
    int progressiveEvery;  // 0: none; n: pages n-2, 2n-2, ... (the last one too)
    int distinct;          // pictures told apart by content; the rest are links to them
    bool exifThumbnail = false;
};

const PageSet kSets[] = {
    {"hd", "JPEG 1920x1080", {1920, 1080}, 21, 0, 21},
    {"12mp", "JPEG 4000x3000", {4000, 3000}, 21, 0, 21},
    {"held", "JPEG 4000x3000, one in four progressive (4:4:4)", {4000, 3000}, 299, 4, 8},
    {"held-exif", "JPEG 4000x3000, one in four progressive (4:4:4), with EXIF thumbnails", {4000, 3000}, 299, 4, 8,
     true},
};

bool progressivePage(const PageSet& set, int page) {
    return set.progressiveEvery > 0 && page % set.progressiveEvery == set.progressiveEvery - 2;
}

QString pageName(int page) {
    return QString("p%1.jpg").arg(page, 3, 10, QChar('0'));
}

// Progressive as cameras and ImageMagick write them at quality 90: no colour
// subsampling, which is what makes them big to decode. Qt's writer
// subsamples, so cjpeg is used when it is there.
bool writeProgressive(const QImage& image, const QString& path) {
    const QString cjpeg = QStandardPaths::findExecutable("cjpeg");
    if (!cjpeg.isEmpty()) {
        const QString ppm = path + ".ppm";
        if (!image.save(ppm, "ppm")) return false;
        const int rc = QProcess::execute(cjpeg, {"-quality", "90", "-sample", "1x1", "-progressive",
                                                 "-outfile", path, ppm});
        QFile::remove(ppm);
        if (rc == 0) return true;
    }
    std::fprintf(stderr, "no cjpeg: progressive pages written by Qt, colour subsampled\n");
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(true);
    return writer.write(image);
}

// Writes the set's pages to dir, named so that every sort agrees on their order.
bool writeSet(const PageSet& set, const QString& dir) {
    for (int page = 0; page < set.pages; ++page) {
        const QString path = QDir(dir).filePath(pageName(page));
        // Pages past the distinct ones are hard links to an earlier page of their kind.
        int source = page - set.distinct;
        while (source >= 0 && progressivePage(set, source) != progressivePage(set, page)) --source;
        if (source >= 0) {
            const QString from = QDir(dir).filePath(pageName(source));
            if (::link(QFile::encodeName(from).constData(), QFile::encodeName(path).constData()) == 0 ||
                QFile::copy(from, path))
                continue;
            return false;
        }
        const QImage image = photoLike(set.size, unsigned(page + 1) * 7919u);
        bool written = progressivePage(set, page) ? writeProgressive(image, path)
                                                       : image.save(path, "jpeg", 90);
        if (written && set.exifThumbnail) {
            QFile file(path);
            const QByteArray plain = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            file.close();
            const QByteArray withThumb =
                withExifThumbnail(plain, image.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            written = !withThumb.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                      file.write(withThumb) == withThumb.size();
        }
        if (!written) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

void pressShiftRight() {
    QWidget* focused = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::sendEvent(focused, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::sendEvent(focused, &release);
}

// Waits (running the event loop) until the box shows path completely. The
// loop sleeps until an event comes, as the editor's does: a loop polling
// for the picture would take a core from the decodes it waits for.
bool waitShown(aicAlphaImage* box, const QString& path, int timeoutMs = 20000) {
    auto done = [&] { return box->currentPath() == path && box->pendingPath().isEmpty(); };
    if (done()) return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(box, &aicAlphaImage::imageShown, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(box, &aicAlphaImage::imageFailed, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    loop.exec();
    return done();
}

// The process's peak resident memory in MB since it started or since the
// last resetPeakMemory.
double peakMemoryMb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// Makes the current memory the peak (Linux 4.0 and later).
bool resetPeakMemory() {
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

QString loadAverage() {
    QFile file("/proc/loadavg");
    if (!file.open(QIODevice::ReadOnly)) return "unknown";
    return QString::fromLatin1(file.readAll()).section(' ', 0, 2);
}

bool runSet(const PageSet& set, const QString& dir, int runs) {
    QStringList pages;
    for (int page = 0; page < set.pages; ++page) pages << QDir(dir).filePath(pageName(page));
    const int keys = set.pages - 1;
    const QString last = pages.back();

    PicMovieWnd wnd;
    wnd.show();
    if (!QTest::qWaitForWindowExposed(&wnd)) return false;
    QApplication::setActiveWindow(&wnd);
    wnd.FilePathList->setPath(dir);
    aicAlphaImage* box = wnd.PicMovieImg;
    if (wnd.rowCount() != set.pages || !wnd.rowText(keys).startsWith(pageName(keys))) {
        std::fprintf(stderr, "the window lists %d pages, not the %d written\n", wnd.rowCount(), set.pages);
        return false;
    }

    // One decode of the last page, and of the other kind when the set has two.
    std::vector<double> decode, otherDecode;
    int otherPage = keys - 1;
    while (otherPage > 0 && progressivePage(set, otherPage) == progressivePage(set, keys)) --otherPage;
    for (int i = 0; i < 5; ++i) {
        double c0 = threadCpuMs();
        if (!decodePreview(last, box->contentsRect().size()).ok()) return false;
        decode.push_back(threadCpuMs() - c0);
        if (set.progressiveEvery == 0) continue;
        c0 = threadCpuMs();
        if (!decodePreview(pages[otherPage], box->contentsRect().size()).ok()) return false;
        otherDecode.push_back(threadCpuMs() - c0);
    }

    // Reading the last page's quick preview, as a key does on the GUI thread.
    std::vector<double> quickRead;
    bool hasQuick = false;
    for (int i = 0; i < 20; ++i) {
        const double c0 = threadCpuMs();
        hasQuick = !readQuickPreview(last, {}, 256).isNull();
        quickRead.push_back(threadCpuMs() - c0);
    }

    std::vector<double> lastCpu;  // the process's, from the last key to its picture
    std::vector<double> keyCpu, keyWall, lastComplete, shownPages, anyFormPages, pageLag, anyLag, backgroundCpu,
        backgroundPerKey, peakMb;
    for (int run = 0; run < runs; ++run) {
        box->waitForBackgroundWork();
        PreviewCache::shared()->clear();
        wnd.setSelectedRow(0);
        if (!waitShown(box, pages[0])) return false;
        QApplication::setActiveWindow(&wnd);
        wnd.TxtMovieIntro->setFocus();
        if (QApplication::focusWidget() != wnd.TxtMovieIntro) {
            std::fprintf(stderr, "the intro box has no keyboard focus\n");
            return false;
        }
        box->waitForBackgroundWork();
        PreviewCache::shared()->clear();  // the neighbours hinted at page 0 too
        const bool peakReset = run == 0 || resetPeakMemory();

        // When each page's picture was on screen, counted from its key.
        // anyAt: its quick preview or its full picture, whichever came first.
        std::vector<double> keyAt(keys + 1, -1), shownAt(keys + 1, -1), anyAt(keys + 1, -1);
        QElapsedTimer clock;
        clock.start();
        auto noteShown = [&] {
            const int page = int(pages.indexOf(box->currentPath()));
            if (page > 0 && shownAt[page] < 0 && box->pendingPath().isEmpty()) shownAt[page] = msSince(clock);
            if (page > 0 && anyAt[page] < 0 && box->pendingPath().isEmpty()) anyAt[page] = msSince(clock);
            const int quick = int(pages.indexOf(box->quickPreviewPath()));
            if (quick > 0 && anyAt[quick] < 0) anyAt[quick] = msSince(clock);
        };
        QObject counter;
        QObject::connect(box, &aicAlphaImage::imageShown, &counter, noteShown);
        QObject::connect(box, &aicAlphaImage::quickPreviewShown, &counter, noteShown);
        int sent = 0;
        QElapsedTimer sinceLast;
        QEventLoop loop;
        QTimer timer;
        timer.setInterval(kKeyIntervalMs);
        const double processCpu0 = processCpuMs(), guiCpu0 = threadCpuMs();
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            const double c0 = threadCpuMs();
            QElapsedTimer t;
            t.start();
            keyAt[sent + 1] = msSince(clock);
            pressShiftRight();
            wnd.repaint();
            noteShown();
            keyWall.push_back(msSince(t));
            keyCpu.push_back(threadCpuMs() - c0);
            if (++sent == keys) {
                timer.stop();
                sinceLast.start();
                loop.quit();
            }
        });
        timer.start();
        loop.exec();
        if (wnd.selectedRow() != keys) {
            std::fprintf(stderr, "the keys reached row %d, not %d\n", wnd.selectedRow(), keys);
            return false;
        }
        const double lastCpu0 = processCpuMs();
        if (!waitShown(box, last)) return false;
        lastComplete.push_back(msSince(sinceLast));
        lastCpu.push_back(processCpuMs() - lastCpu0);
        // Whatever the keys left to decode counts too: the neighbours of the
        // last page and the stale decodes winding down.
        box->waitForBackgroundWork();
        const double background = (processCpuMs() - processCpu0) - (threadCpuMs() - guiCpu0);
        backgroundCpu.push_back(background);
        backgroundPerKey.push_back(background / keys);
        if (peakReset) peakMb.push_back(peakMemoryMb());
        int shown = 0, anyForm = 0;
        for (int page = 1; page < keys; ++page) {
            if (anyAt[page] >= 0) {
                ++anyForm;
                anyLag.push_back(anyAt[page] - keyAt[page]);
            }
            if (shownAt[page] < 0) continue;
            ++shown;
            pageLag.push_back(shownAt[page] - keyAt[page]);
        }
        shownPages.push_back(shown);
        anyFormPages.push_back(anyForm);
    }

    const char* lastKind = progressivePage(set, keys) ? "progressive " : "";
    std::printf("%s, %d keys %d ms apart, %d runs:\n", set.label, keys, kKeyIntervalMs, runs);
    // Wall times stretch with whatever else the machine runs meanwhile.
    std::printf("  load average of the machine at the end: %s\n", qPrintable(loadAverage()));
    std::printf("  one key's handling and repaint: CPU  %s ms\n", qPrintable(figures(keyCpu, 2)));
    std::printf("                                  wall %s ms\n", qPrintable(figures(keyWall, 2)));
    std::printf("  background decoding: CPU per key %s ms\n", qPrintable(figures(backgroundPerKey)));
    std::printf("                       CPU per run %s ms (%.2f cores over the keys)\n",
                qPrintable(figures(backgroundCpu, 0)), median(backgroundPerKey) / kKeyIntervalMs);
    std::printf("  full pictures on screen on the way: median %.0f (min %.0f, max %.0f) of %d pages; each after its key: %s ms\n",
                median(shownPages), *std::min_element(shownPages.begin(), shownPages.end()),
                *std::max_element(shownPages.begin(), shownPages.end()), keys - 1, qPrintable(figures(pageLag)));
    std::printf("  pages with a picture in some form (quick preview or full): median %.0f (min %.0f, max %.0f) of %d; "
                "each after its key: %s ms\n",
                median(anyFormPages), *std::min_element(anyFormPages.begin(), anyFormPages.end()),
                *std::max_element(anyFormPages.begin(), anyFormPages.end()), keys - 1, qPrintable(figures(anyLag)));
    std::printf("  reading a page's quick preview on the GUI thread: CPU %s ms (%s)\n", qPrintable(figures(quickRead, 3)),
                hasQuick ? "EXIF thumbnail found" : "none in the file");
    std::printf("  peak memory of a run: %s MB; of the process: %.0f MB\n", qPrintable(figures(peakMb, 0)),
                peakMemoryMb());
    std::printf("  last picture complete after the last key: wall %s ms; CPU of the process meanwhile %s ms\n",
                qPrintable(figures(lastComplete)), qPrintable(figures(lastCpu)));
    std::printf("  one decode of the last (%spage): CPU %s ms (one decode and a 16.7 ms frame: %.1f ms)\n",
                lastKind, qPrintable(figures(decode)), median(decode) + 16.7);
    if (!otherDecode.empty())
        std::printf("  one decode of a %spage: CPU %s ms\n", *lastKind ? "baseline " : "progressive ",
                    qPrintable(figures(otherDecode)));
    std::fflush(stdout);
    wnd.FilePathList->setPath(QDir::tempPath());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // bench_flip --set ID DIR RUNS: one set in this process, its pages written already.
    if (argc == 5 && std::string_view(argv[1]) == "--set") {
        QApplication app(argc, argv);
        quietImageReaderWarnings();
        for (const PageSet& set : kSets)
            if (set.id == std::string_view(argv[2])) return runSet(set, argv[3], std::atoi(argv[4])) ? 0 : 1;
        return 2;
    }

    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
    std::printf("processor: %s\n", qPrintable(processorName()));
    std::fflush(stdout);
    QStringList only;
    for (int i = 2; i < argc; ++i) only << argv[i];
    for (const PageSet& set : kSets) {
        if (!only.isEmpty() && !only.contains(set.id)) continue;
        QTemporaryDir tmp;
        if (!writeSet(set, tmp.path())) return 1;
        // Writing the pages takes memory of its own: the run gets a fresh process.
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--set", set.id, tmp.path(), QString::number(set.pages > 100 ? std::max(3, runs / 2) : runs)});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "the run of %s failed\n", set.label);
            return 1;
        }
    }
    return 0;
}
