// Folder loading and saving on large movies, through the main window as a
// user's folder pick does it: N images and an N-row GBK script of which half
// the rows name images of the folder (the other half are appended).
//   bench_load_save [runs]
// Prints CPU time (all threads of the process) and wall time:
//  - a first open in a fresh process, from the double-click on the folder to
//    the first page's picture painted (the benchmark starts itself once per
//    run: bench_load_save --first-open FOLDER);
//  - beside it, the least any open must do: list the folder in natural
//    order, read and decode the script, find the images no row names; in
//    this process, and in a fresh one (bench_load_save --floor FOLDER);
//    and the ratios;
//  - reloads in a process that has loaded before, and saves.

#include "bench_gui.h"
#include "bench_support.h"
#include "editor/LoadingWnd.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "model/script_file.h"
#include "platform/aic_alpha_image.h"
#include "platform/dir_list_box.h"
#include "platform/file_helpers.h"
#include "platform/gbk_codec.h"
#include "platform/preview_decoder.h"
#include "platform/qt_translations.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

// ---------------------------------------------------------------- the child

// Stops the event loop once the picture box has painted the file.
class PaintWatch : public QObject {
public:
    PaintWatch(aicAlphaImage* box, QString path) : m_box(box), m_path(std::move(path)) {
        box->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted && m_box->currentPath() == m_path &&
            m_box->pendingPath().isEmpty()) {
            painted = true;
            // After this paint and what goes with it (the flush to the screen).
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    aicAlphaImage* m_box;
    QString m_path;
};

// Started in the folder's parent like the program from a shortcut there,
// the window shown, the folder double-clicked in the folder list; prints
// "cpu wall rows" from the double-click to the first page painted.
int firstOpen(const QString& folder) {
    AnsweringDialogs answers(Answer::No);
    setDialogs(&answers);
    installChineseQtTexts();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    QDir::setCurrent(QFileInfo(canonical).absolutePath());

    PicMovieWnd wnd;
    wnd.show();
    if (!QTest::qWaitForWindowExposed(&wnd)) return 2;
    QListWidgetItem* row = nullptr;
    for (int i = 0; i < wnd.FilePathList->count() && !row; ++i)
        if (wnd.FilePathList->item(i)->data(DirListBox::PathRole).toString() == canonical)
            row = wnd.FilePathList->item(i);
    if (!row) {
        std::fprintf(stderr, "the folder list does not show %s\n", qPrintable(canonical));
        return 2;
    }
    wnd.FilePathList->scrollToItem(row);
    wnd.FilePathList->doItemsLayout();  // as the paint before a user's click has done
    const QPoint at = wnd.FilePathList->visualItemRect(row).center();
    PaintWatch watch(wnd.PicMovieImg, joinPath(canonical, pageName(0)));
    QTimer::singleShot(60000, qApp, &QCoreApplication::quit);
    QApplication::processEvents();

    const double c0 = processCpuMs();
    QElapsedTimer t;
    t.start();
    // What a window system delivers: a click, then a second press as a
    // double-click, then its release.
    QTest::mouseClick(wnd.FilePathList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(wnd.FilePathList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(wnd.FilePathList->viewport(), Qt::LeftButton, {}, at);
    QApplication::exec();
    const double wall = msSince(t), cpu = processCpuMs() - c0;
    setDialogs(nullptr);
    if (!watch.painted) {
        std::fprintf(stderr, "the first page was not painted (%d rows)\n", wnd.rowCount());
        return 2;
    }
    std::printf("%.3f %.3f %d\n", cpu, wall, wnd.rowCount());
    return 0;
}

// ---------------------------------------------------------------- the parent

// Runs this program with mode and folder; it prints "cpu wall rows".
bool spawn(const char* mode, const QString& folder, int expectedRows, std::vector<double>& cpu,
           std::vector<double>& wall) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(mode), folder});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
        std::fprintf(stderr, "%s failed (exit code %d):\n%s\n", mode, child.exitCode(),
                     child.readAllStandardError().constData());
        return false;
    }
    const QList<QByteArray> fields = child.readAllStandardOutput().simplified().split(' ');
    if (fields.size() != 3 || fields[2].toInt() != expectedRows) {
        std::fprintf(stderr, "unexpected report from %s: %s\n", mode, fields.join(' ').constData());
        return false;
    }
    cpu.push_back(fields[0].toDouble());
    wall.push_back(fields[1].toDouble());
    return true;
}

// The listing in natural order, the script read and decoded, the images no
// row names: what every open of the folder needs before it can show a row.
bool floorOnce(const QString& folder, int expectedRows, std::vector<double>& cpu, std::vector<double>& wall,
               int* rows = nullptr) {
    const double c0 = processCpuMs();
    QElapsedTimer t;
    t.start();
    const FolderListing listing = listFolder(folder);
    const script::ReadResult loaded = script::read(joinPath(folder, script::kFileName));
    const QStringList unnamed = script::imagesNotInRows(loaded.rows, listing.files);
    wall.push_back(msSince(t));
    cpu.push_back(processCpuMs() - c0);
    if (rows) *rows = int(loaded.rows.size() + unnamed.size());
    return loaded.ok && loaded.rows.size() + unnamed.size() == expectedRows;
}

// The floor's work in a process that has done nothing before, as the first
// open's process has not.
int freshFloor(const QString& folder) {
    std::vector<double> cpu, wall;
    int rows = 0;
    floorOnce(folder, -1, cpu, wall, &rows);
    std::printf("%.3f %.3f %d\n", cpu[0], wall[0], rows);
    return 0;
}

bool benchFirstOpens(const QString& folder, int images, int runs) {
    const int rows = images + images / 2;
    std::vector<double> openCpu, openWall, floorCpu, floorWall, freshCpu, freshWall;
    // Side by side, so that whatever else the machine does falls on all.
    for (int i = 0; i < runs; ++i) {
        if (!spawn("--first-open", folder, rows, openCpu, openWall)) return false;
        if (!floorOnce(folder, rows, floorCpu, floorWall)) {
            std::fprintf(stderr, "the floor's work found other rows\n");
            return false;
        }
        if (!spawn("--floor", folder, rows, freshCpu, freshWall)) return false;
    }
    std::printf("first open in a fresh process, %d images + %d-row script, double-click to the first "
                "picture painted, %d runs:\n"
                "  CPU  %s ms\n"
                "  wall %s ms\n"
                "the floor (listing in natural order, script read and decoded, lookup of the images no "
                "row names), in this process:\n"
                "  CPU  %s ms\n"
                "  wall %s ms\n"
                "  first open / floor, medians: CPU %.2f, wall %.2f\n"
                "the same floor in a fresh process of its own:\n"
                "  CPU  %s ms\n"
                "  wall %s ms\n"
                "  first open / fresh floor, medians: CPU %.2f, wall %.2f\n",
                images, images, runs, qPrintable(figures(openCpu)), qPrintable(figures(openWall)),
                qPrintable(figures(floorCpu)), qPrintable(figures(floorWall)),
                median(openCpu) / median(floorCpu), median(openWall) / median(floorWall),
                qPrintable(figures(freshCpu)), qPrintable(figures(freshWall)),
                median(openCpu) / median(freshCpu), median(openWall) / median(freshWall));
    return true;
}

bool benchLoads(PicMovieWnd& wnd, const QString& a, const QString& b, int images, int runs) {
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
    std::printf("reload in a process that has loaded before (to the first page asked for, not painted), "
                "%d images + %d-row script, %d runs:\n"
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

bool benchSize(PicMovieWnd& wnd, int images, int runs) {
    QTemporaryDir tmp;
    const QString a = tmp.filePath("a"), b = tmp.filePath("b");
    makeMovie(a, images);
    makeMovie(b, images);
    return benchFirstOpens(a, images, runs) && benchLoads(wnd, a, b, images, runs);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    if (argc == 3 && qstrcmp(argv[1], "--first-open") == 0) return firstOpen(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--floor") == 0) return freshFloor(QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 11;
    std::printf("processor: %s\n", qPrintable(processorName()));

    PicMovieWnd wnd;
    wnd.show();
    app.processEvents();
    if (!benchSize(wnd, 10000, runs)) return 1;
    if (!benchSize(wnd, 100000, std::max(3, runs / 2))) return 1;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of this process (max RSS): %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
