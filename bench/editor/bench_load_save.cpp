// Folder loading and saving on large movies, through the main window as a
// user's folder pick does it: N images and an N-row GBK script of which half
// the rows name images of the folder (the other half are appended).
//   bench_load_save [runs]
// Prints CPU time (all threads of the process) and wall time per load.

#include "bench_support.h"
#include "editor/LoadingWnd.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "platform/preview_decoder.h"
#include "model/script_file.h"
#include "platform/dir_list_box.h"
#include "platform/gbk_codec.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

QString pageName(int i) { return QStringLiteral("%1.jpg").arg(i, 6, 10, QLatin1Char('0')); }

void makeMovie(const QString& dir, int images) {
    QDir().mkpath(dir);
    QImage img(32, 18, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    const QString first = QDir(dir).filePath(pageName(0));
    img.save(first, "JPG");
    // Hard links: a hundred thousand files cost no disk and little time.
    const QByteArray target = QFile::encodeName(first);
    for (int i = 1; i < images; ++i) {
        if (link(target.constData(), QFile::encodeName(QDir(dir).filePath(pageName(i))).constData()) != 0)
            QFile::copy(first, QDir(dir).filePath(pageName(i)));
    }
    // Even rows name images of the folder, odd rows images that are gone;
    // the odd-numbered images are appended by the load.
    QString text;
    for (int i = 0; i < images; ++i) {
        const QString name = i % 2 == 0 ? pageName(i) : QStringLiteral("gone%1.jpg").arg(i);
        text += name + QStringLiteral(" :第%1页的解说，故事继续发展。\r\n").arg(i);
    }
    QFile f(QDir(dir).filePath(script::kFileName));
    f.open(QIODevice::WriteOnly);
    f.write(gbk::encode(text));
}

bool benchLoads(PicMovieWnd& wnd, int images, int runs) {
    QTemporaryDir tmp;
    const QString a = tmp.filePath("a"), b = tmp.filePath("b");
    makeMovie(a, images);
    makeMovie(b, images);
    std::vector<double> cpu, wall;
    int repaints = 0;
    for (int i = 0; i < runs; ++i) {
        const int before = wnd.loadingWnd()->repaintCount();
        QApplication::processEvents();
        const double c0 = processCpuMs();
        QElapsedTimer t;
        t.start();
        wnd.FilePathList->setPath(i % 2 == 0 ? a : b);
        wall.push_back(msSince(t));
        cpu.push_back(processCpuMs() - c0);
        repaints = wnd.loadingWnd()->repaintCount() - before;
        if (wnd.rowCount() != images + images / 2) {
            std::fprintf(stderr, "unexpected row count %d\n", wnd.rowCount());
            return false;
        }
    }
    std::printf("folder load, %d images + %d-row script, %d runs:\n"
                "  CPU  %s ms\n"
                "  wall %s ms; %d progress repaints in the last load\n",
                images, images, runs, qPrintable(figures(cpu)), qPrintable(figures(wall)), repaints);

    std::vector<double> saveCpu, saveWall;
    for (int i = 0; i < runs; ++i) {
        wnd.editedThisMovie = true;
        const double c0 = processCpuMs();
        QElapsedTimer t;
        t.start();
        if (!wnd.SaveScript()) return false;
        saveWall.push_back(msSince(t));
        saveCpu.push_back(processCpuMs() - c0);
    }
    std::printf("save, %d rows: CPU %s ms, wall %s ms\n", wnd.rowCount(), qPrintable(figures(saveCpu)),
                qPrintable(figures(saveWall)));
    // Leave the folders before they go away.
    wnd.FilePathList->setPath(QDir::tempPath());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 11;
    std::printf("processor: %s\n", qPrintable(processorName()));

    PicMovieWnd wnd;
    wnd.show();
    app.processEvents();
    if (!benchLoads(wnd, 10000, runs)) return 1;
    if (!benchLoads(wnd, 100000, std::max(3, runs / 2))) return 1;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory (max RSS): %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
