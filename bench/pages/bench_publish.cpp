// Validation and publishing of a large movie through the main window's
// button, confirmed as the user does: N JPEGs and an N-row GBK script whose
// intros all need cleaning. Each run publishes two fresh folders, loaded
// beforehand, in alternating order: one whose images are hard links of one
// small JPEG, one whose images are files of their own, as a user's are.
// Only the button's work is timed (both passes, the renames, the rebuild of
// the rows, the progress window and the save).
//   bench_publish [runs] [images]
// Prints CPU time (all threads of the process) and wall time per run.

#include "bench_gui.h"
#include "editor/PicMovieWnd.h"
#include "model/script_file.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "platform/gbk_codec.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

QString pageName(int i) { return QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')); }

// jpeg empty: hard links of one small JPEG; else each image a file of
// those bytes.
bool makeMovie(const QString& dir, int images, const QByteArray& jpeg) {
    QDir().mkpath(dir);
    if (jpeg.isEmpty()) {
        const QString first = QDir(dir).filePath(pageName(0));
        if (!photoLike(QSize(32, 18), 7).save(first, "JPG")) return false;
        // Hard links: thousands of files cost no disk and little time.
        const QByteArray target = QFile::encodeName(first);
        for (int i = 1; i < images; ++i) {
            const QString path = QDir(dir).filePath(pageName(i));
            if (link(target.constData(), QFile::encodeName(path).constData()) != 0 && !QFile::copy(first, path))
                return false;
        }
    } else {
        QStringList names;
        for (int i = 0; i < images; ++i) names << pageName(i);
        if (!writeFiles(dir, names, jpeg)) return false;
    }
    QString text;
    for (int i = 0; i < images; ++i)
        text += pageName(i) + QStringLiteral(" :第%1页:他说(\"快走\")[注] \r\n").arg(i);
    QFile f(QDir(dir).filePath(script::kFileName));
    return f.open(QIODevice::WriteOnly) && f.write(gbk::encode(text)) > 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 7;
    const int images = argc > 2 ? std::max(1, atoi(argv[2])) : 5000;
    std::printf("processor: %s\n", qPrintable(processorName()));

    AnsweringDialogs answers(Answer::Yes);
    setDialogs(&answers);
    PicMovieWnd wnd;
    wnd.show();
    app.processEvents();

    QTemporaryDir tmp;
    const QByteArray jpeg = photoJpeg({320, 180}, 7);
    std::vector<double> cpu, wall, realCpu, realWall;
    const QString success = QStringLiteral("脚本验证并发布成功！发现错误（0）处");
    auto publishOnce = [&](const QString& dir, bool real) {
        if (!makeMovie(dir, images, real ? jpeg : QByteArray())) {
            std::fprintf(stderr, "cannot make the movie folder %s\n", qPrintable(dir));
            return false;
        }
        wnd.FilePathList->setPath(dir);
        app.processEvents();
        if (wnd.rowCount() != images) {
            std::fprintf(stderr, "loaded %d rows, expected %d\n", wnd.rowCount(), images);
            return false;
        }
        const double c0 = processCpuMs();
        QElapsedTimer t;
        t.start();
        wnd.BtnExportTj->click();
        (real ? realWall : wall).push_back(msSince(t));
        (real ? realCpu : cpu).push_back(processCpuMs() - c0);
        if (answers.messages.value(answers.messages.size() - 1) != success || !wnd.rowText(images - 1).startsWith(
                                                     QStringLiteral("rs_%1.jpg :").arg(images - 1)) ||
            !QFile::exists(QDir(dir).filePath(QStringLiteral("rs_%1.jpg").arg(images - 1)))) {
            std::fprintf(stderr, "publishing went wrong: %s\n", qPrintable(answers.messages.value(answers.messages.size() - 1)));
            return false;
        }
        // Leave the folder before it goes.
        wnd.FilePathList->setPath(tmp.path());
        QDir(dir).removeRecursively();
        return true;
    };
    for (int i = 0; i < runs; ++i) {
        for (int side = 0; side < 2; ++side) {
            const bool real = (side == i % 2);
            if (!publishOnce(tmp.filePath(QStringLiteral("%1%2").arg(real ? "real" : "linked").arg(i)), real)) return 1;
        }
    }
    std::printf("publish, %d images + %d-row script, %d runs:\n"
                "  CPU  %s ms\n"
                "  wall %s ms\n",
                images, images, runs, qPrintable(figures(cpu)), qPrintable(figures(wall)));
    std::printf("publish with each image a file of its own (%d KB JPEGs, fresh each run), interleaved with the above:\n"
                "  CPU  %s ms\n"
                "  wall %s ms\n",
                int(jpeg.size() / 1024), qPrintable(figures(realCpu)), qPrintable(figures(realWall)));
    setDialogs(nullptr);
    return 0;
}
