// The overview on long movies, as a user meets it:
//  - opened on 10,000 pages whose thumbnails are all in the desktop cache:
//    the time until the first screen of thumbnails is painted;
//  - scrolled from top to bottom at a steady pace (a frame every 16 ms):
//    the window thread's time per frame;
//  - thumbnails of 1,000 JPEGs of 4000x3000 never seen before, through the
//    provider on every core, against `djpeg -scale 1/8` over the same files
//    in two processes at once (xargs -P2), in the same run.
//   bench_overview [runs] [jpegs]
// Everything lives in a temporary folder, the thumbnail cache included.

#include "bench_gui.h"
#include "bench_support.h"
#include "editor/PicMovieWnd.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewWnd.h"
#include "overview/thumbnail_provider.h"
#include "platform/thumbnail_cache.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

void useCache(const QString& dir) { qputenv("XDG_CACHE_HOME", QFile::encodeName(dir)); }

// Every tile on view has its thumbnail (or its placeholder).
bool screenComplete(OverviewWnd* o) {
    const auto [first, last] = o->view()->visibleRows();
    if (first < 0) return false;
    for (int r = first; r <= last; ++r)
        if (o->model()->index(r, 0).data(OverviewModel::ThumbStateRole).toInt() < 0) return false;
    return true;
}

void openOnCachedPages(PicMovieWnd& wnd, int runs) {
    Figures gui;
    std::vector<double> all;
    int tiles = 0;
    for (int run = 0; run < runs; ++run) {
        const double p0 = processCpuMs();
        gui.measure([&] {
            auto* o = new OverviewWnd(&wnd);
            o->resize(1000, 700);
            o->show();
            QElapsedTimer limit;
            limit.start();
            while (!screenComplete(o) && limit.elapsed() < 10000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                if (!screenComplete(o)) QThread::usleep(200);
            }
            o->view()->viewport()->repaint();
            const auto [first, last] = o->view()->visibleRows();
            tiles = last - first + 1;
            delete o;
        });
        all.push_back(processCpuMs() - p0);
    }
    std::printf("open on %d pages, thumbnails in the disk cache, until the first screen (%d tiles) is painted:\n"
                "  CPU  %s ms (window thread)\n  CPU  %s ms (all threads)\n  wall %s ms\n",
                wnd.rowCount(), tiles, qPrintable(figures(gui.cpu, 1)), qPrintable(figures(all, 1)),
                qPrintable(figures(gui.wall, 1)));
}

void scrollThrough(PicMovieWnd& wnd, int runs) {
    std::vector<double> medians, maxima, cpuMedians, cpuMaxima;
    int over = 0, cpuOver = 0, frames = 0;
    for (int run = 0; run < runs; ++run) {
        OverviewWnd o(&wnd);
        o.resize(1000, 700);
        o.show();
        // Opening, measured above, ends with the first screen painted.
        QElapsedTimer settle;
        settle.start();
        while (!screenComplete(&o) && settle.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        o.view()->viewport()->repaint();
        QScrollBar* bar = o.view()->verticalScrollBar();
        // About ten seconds from top to bottom.
        const int step = std::max(1, bar->maximum() / 600);
        std::vector<double> wall, cpu;
        for (int v = 0; v <= bar->maximum(); v += step) {
            QElapsedTimer frame;
            frame.start();
            const double c0 = threadCpuMs();
            bar->setValue(v);
            QCoreApplication::processEvents();
            o.view()->viewport()->repaint();
            wall.push_back(msSince(frame));
            cpu.push_back(threadCpuMs() - c0);
            if (wall.back() > 16.0) ++over;
            if (cpu.back() > 16.0) ++cpuOver;
            // The rest of the frame: thumbnails arrive meanwhile.
            while (frame.elapsed() < 16) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                QThread::usleep(500);
            }
        }
        frames += int(wall.size());
        medians.push_back(median(wall));
        maxima.push_back(maximum(wall));
        cpuMedians.push_back(median(cpu));
        cpuMaxima.push_back(maximum(cpu));
    }
    std::printf("scroll from top to bottom, a frame every 16 ms (%d frames in %d runs):\n"
                "  window thread per frame, median of runs: CPU %s ms, wall %s ms\n"
                "  slowest frame of each run: CPU %s ms, wall %s ms\n"
                "  frames over 16 ms: %d by wall, %d by CPU\n",
                frames, runs, qPrintable(figures(cpuMedians, 2)), qPrintable(figures(medians, 2)),
                qPrintable(figures(cpuMaxima, 1)), qPrintable(figures(maxima, 1)), over, cpuOver);
}

void unseenJpegs(const QString& root, int count, int runs) {
    const QString dir = root + QStringLiteral("/jpegs");
    QDir().mkpath(dir);
    // Distinct pictures are costly to make; a handful of them, each written
    // as many separate files.
    const int distinct = std::min(count, 20);
    QStringList paths;
    for (int d = 0; d < distinct; ++d) {
        QStringList names;
        for (int i = d; i < count; i += distinct) names << QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (!writeFiles(dir, names, photoJpeg({4000, 3000}, 1000 + d))) return;
    }
    for (int i = 0; i < count; ++i) paths << dir + QStringLiteral("/p%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
    const QString list = root + QStringLiteral("/list.txt");
    QFile f(list);
    f.open(QIODevice::WriteOnly);
    f.write(paths.join(QLatin1Char('\n')).toUtf8() + "\n");
    f.close();

    std::vector<double> oursCpu, oursWall, refCpu, refWall;
    for (int run = 0; run < runs; ++run) {
        const ChildRun ref = runProgram({"sh", "-c",
                                         "xargs -P2 -n1 djpeg -scale 1/8 -outfile /dev/null < " + QFile::encodeName(list)});
        if (!ref.ok) {
            std::printf("djpeg failed\n");
            return;
        }
        refCpu.push_back(ref.cpuMs);
        refWall.push_back(ref.wallMs);

        useCache(root + QStringLiteral("/cache-run%1").arg(run));  // never seen
        ThumbnailProvider provider;
        provider.setSide(128);
        int done = 0;
        QEventLoop loop;
        QObject::connect(&provider, &ThumbnailProvider::ready, [&] {
            if (++done == count) loop.quit();
        });
        const double c0 = processCpuMs();
        QElapsedTimer t;
        t.start();
        provider.request(paths);
        // Asleep until the last one: this thread's CPU is counted too.
        loop.exec();
        oursWall.push_back(msSince(t));
        oursCpu.push_back(processCpuMs() - c0);
    }
    std::printf("thumbnails of %d unseen 4000x3000 JPEGs (%d distinct), written to the disk cache:\n"
                "  provider, %d threads:      CPU %s ms, wall %s ms\n"
                "  djpeg -scale 1/8, xargs -P2: CPU %s ms, wall %s ms\n"
                "  ratio of medians: CPU %.2fx, wall %.2fx\n",
                count, distinct, QThread::idealThreadCount(), qPrintable(figures(oursCpu, 0)),
                qPrintable(figures(oursWall, 0)), qPrintable(figures(refCpu, 0)), qPrintable(figures(refWall, 0)),
                median(oursCpu) / median(refCpu), median(oursWall) / median(refWall));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int jpegs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    AnsweringDialogs answering;
    setDialogs(&answering);
    std::printf("processor: %s\n", qPrintable(processorName()));

    QTemporaryDir root;
    useCache(root.path() + QStringLiteral("/cache"));
    // 10,000 pages, each its own file, every thumbnail already cached.
    const QString movie = root.path() + QStringLiteral("/movie");
    constexpr int kPages = 10000;
    QStringList names, rows;
    for (int i = 0; i < kPages; ++i) {
        names << QStringLiteral("%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        rows << names.last() + QStringLiteral(" :第 %1 页的解说").arg(i + 1);
    }
    if (!writeFiles(movie, names, photoJpeg({640, 480}, 7))) return 1;
    const QImage thumb = photoLike({128, 96}, 7);
    for (const QString& n : names) {
        const QString path = movie + QLatin1Char('/') + n;
        thumbs::writeThumbnail(path, *thumbs::fileMTime(path), thumb, thumbs::Flavor::Normal, {640, 480});
    }

    PicMovieWnd wnd;
    wnd.rootFilePath = movie;
    wnd.appendRows(rows);
    openOnCachedPages(wnd, runs);
    scrollThrough(wnd, std::max(1, runs / 2));
    unseenJpegs(root.path(), jpegs, std::max(1, runs / 2 + 1));
    setDialogs(nullptr);
    return 0;
}
