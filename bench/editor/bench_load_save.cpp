// Folder loading and saving on a large movie: 10,000 images, a 10,000-row
// GBK script of which half the rows name images of the folder.
//   bench_load_save [runs]

#include "editor/LoadingWnd.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "model/script_file.h"
#include "platform/dir_list_box.h"
#include "platform/gbk_codec.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace kinoleaf;

namespace {

constexpr int kImages = 10000;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void makeMovie(const QString& dir) {
    QDir().mkpath(dir);
    QImage img(32, 18, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    for (int i = 0; i < kImages; ++i) {
        QFile f(QDir(dir).filePath(QStringLiteral("%1.jpg").arg(i, 5, 10, QLatin1Char('0'))));
        f.open(QIODevice::WriteOnly);
        f.write(jpeg);
    }
    // Even rows name images of the folder, odd rows images that are gone;
    // the odd-numbered images are appended by the load.
    QString text;
    for (int i = 0; i < kImages; ++i) {
        const QString name = i % 2 == 0 ? QStringLiteral("%1.jpg").arg(i, 5, 10, QLatin1Char('0'))
                                        : QStringLiteral("gone%1.jpg").arg(i);
        text += name + QStringLiteral(" :第%1页的解说，故事继续发展。\r\n").arg(i);
    }
    QFile f(QDir(dir).filePath(script::kFileName));
    f.open(QIODevice::WriteOnly);
    f.write(gbk::encode(text));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    QTemporaryDir tmp;
    const QString a = tmp.filePath("a"), b = tmp.filePath("b");
    makeMovie(a);
    makeMovie(b);

    PicMovieWnd wnd;
    wnd.show();
    app.processEvents();

    std::vector<double> loads;
    int repaints = 0;
    for (int i = 0; i < runs; ++i) {
        const int before = wnd.loadingWnd()->repaintCount();
        QElapsedTimer t;
        t.start();
        wnd.FilePathList->setPath(i % 2 == 0 ? a : b);
        loads.push_back(t.nsecsElapsed() / 1e6);
        repaints = wnd.loadingWnd()->repaintCount() - before;
        if (wnd.ListMoviePics->count() != kImages + kImages / 2) {
            std::fprintf(stderr, "unexpected row count %d\n", wnd.ListMoviePics->count());
            return 1;
        }
    }

    std::vector<double> saves;
    for (int i = 0; i < runs; ++i) {
        wnd.editedThisMovie = true;
        QElapsedTimer t;
        t.start();
        if (!wnd.SaveScript()) return 1;
        saves.push_back(t.nsecsElapsed() / 1e6);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("folder load, %d images + %d-row script: median %.1f ms (min %.1f, max %.1f), "
                "%d progress repaints in the last load\n",
                kImages, kImages, median(loads), *std::min_element(loads.begin(), loads.end()),
                *std::max_element(loads.begin(), loads.end()), repaints);
    std::printf("save, %d rows: median %.1f ms\n", wnd.ListMoviePics->count(), median(saves));
    std::printf("peak memory (max RSS): %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
