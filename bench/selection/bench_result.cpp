// The selection result's two saves through the real windows.
// In place (保存并删除多余文件) on a 10,000-page movie with 1,000 pages kept:
// first with rows naming images that are not in the folder, so
// DeleteOneImage moves no file and the figures are the window's, the
// lookups' and the main list's own work; then with the 10,000 images there,
// written fresh for every run, so 9,000 of them move into delete_image.
// As a copy (另存为): 1,000 kept pages of 1 MB copied into a fresh folder
// and synced, interleaved with cp + sync -f of the same files.
//   bench_result [runs] [copy runs]
// Prints main-thread CPU time and wall time, median with min and max.

#include "bench_gui.h"
#include "editor/PicMovieWnd.h"
#include "pages/batch_delete.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"
#include "platform/preview_decoder.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kRows = 10000;
constexpr int kKept = 1000;
constexpr int kCopyBytes = 1 << 20;

qsizetype filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files).size(); }

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    AnsweringDialogs quiet;
    setDialogs(&quiet);
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 11;
    const int copyRuns = argc > 2 ? std::max(3, atoi(argv[2])) : 5;
    std::printf("processor: %s\n", qPrintable(processorName()));

    QTemporaryDir tmp;
    QStringList rows, kept;
    for (int i = 0; i < kRows; ++i) {
        rows.append(QStringLiteral("img%1.jpg :第%2页的解说，故事继续发展。").arg(i, 5, 10, QLatin1Char('0')).arg(i));
        if (i % (kRows / kKept) == 0) kept.append(rows.last());
    }

    PicMovieWnd wnd;
    wnd.show();
    wnd.rootFilePath = tmp.path();
    SmartCutWnd selection(&wnd);
    SmartCutResultWnd* result = selection.resultWnd();
    app.processEvents();

    Figures apply, lookups, moves;
    for (int run = 0; run < runs; ++run) {
        wnd.replaceRows(rows);
        selection.showCentred();
        result->clearRows();
        result->showResult(kept);
        app.processEvents();
        apply.measure([&] { result->BtnSaveDel->click(); });
        if (wnd.rowCount() != kKept || result->isVisible() || !wnd.isEnabled()) return 1;

        // The lookups and the main list's refill alone.
        wnd.replaceRows(rows);
        qsizetype going = 0;
        lookups.measure([&] {
            going = pages::rowsWhoseImageGoes(wnd.rows(), kept).size();
            wnd.replaceRows(kept);
        });
        if (going != kRows - kKept) return 1;

        // The main window's DeleteOneImage alone, for the same 9,000 names.
        moves.measure([&] {
            for (int i = 0; i < kRows; ++i)
                if (i % (kRows / kKept) != 0) wnd.DeleteOneImage(PicMovieWnd::GetImageNameWithRowStr(rows[i]));
        });
    }
    apply.print("save in place (保存并删除多余文件): progress, lookups, 9,000 DeleteOneImage finding no file, "
                "main list refilled, windows closed");
    lookups.print("lookups (hashed) + main list refill alone, 1,000 of 10,000 rows kept");
    moves.print("of the apply: 9,000 DeleteOneImage finding no file, alone");

    // In place again, the images there: 9,000 really move.
    const QStringList names = [&] {
        QStringList n;
        for (const QString& row : rows) n << PicMovieWnd::GetImageNameWithRowStr(row);
        return n;
    }();
    const QByteArray jpeg = photoJpeg({320, 180}, 7);
    Figures applyReal;
    for (int run = 0; run < runs; ++run) {
        const QString movie = tmp.filePath(QStringLiteral("real%1").arg(run));
        if (!writeFiles(movie, names, jpeg)) return 1;
        wnd.rootFilePath = movie;
        wnd.replaceRows(rows);
        selection.showCentred();
        result->clearRows();
        result->showResult(kept);
        app.processEvents();
        applyReal.measure([&] { result->BtnSaveDel->click(); });
        if (wnd.rowCount() != kKept || result->isVisible() || filesIn(movie) != kKept ||
            filesIn(QDir(movie).filePath("delete_image")) != kRows - kKept) {
            std::printf("run %d: the save in place moved the wrong files\n", run);
            return 1;
        }
        wnd.rootFilePath = tmp.path();
        QDir(movie).removeRecursively();
    }
    applyReal.print(qPrintable(QStringLiteral("save in place with the images there (%1 KB JPEGs, fresh each run): "
                                              "9,000 moved into delete_image")
                                   .arg(jpeg.size() / 1024)));

    // As a copy: 1,000 pages of 1 MB.
    const QString movie = tmp.filePath("copied");
    QStringList copyRows, copyFiles;
    {
        QDir().mkpath(movie);
        QByteArray data(kCopyBytes, Qt::Uninitialized);
        for (int i = 0; i < kKept; ++i) {
            // Random bytes: no file system can share or compress them away.
            QRandomGenerator(quint32(i + 1)).fillRange(reinterpret_cast<quint32*>(data.data()), kCopyBytes / 4);
            const QString name = QStringLiteral("img%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
            QFile f(QDir(movie).filePath(name));
            if (!f.open(QIODevice::WriteOnly) || f.write(data) != kCopyBytes) return 1;
            copyRows << name + QStringLiteral(" :第%1页").arg(i);
            copyFiles << f.fileName();
        }
    }
    wnd.rootFilePath = movie;
    wnd.replaceRows(copyRows);
    const QString stored = QStringLiteral("保存完成！共存储图片：%1张！").arg(kKept);
    Figures saveAs;
    std::vector<double> refCpu, refWall;
    for (int run = 0; run < copyRuns; ++run) {
        const QString ours = tmp.filePath(QStringLiteral("as%1").arg(run));
        const QString theirs = tmp.filePath(QStringLiteral("cp%1").arg(run));
        QDir().mkpath(ours);
        QDir().mkpath(theirs);
        for (int side = 0; side < 2; ++side) {
            // What the last run left (its removal) is written out untimed.
            syncToDisk(tmp.path(), {});
            if (side == run % 2) {
                selection.showCentred();
                result->clearRows();
                result->showResult(copyRows);
                app.processEvents();
                quiet.messages.clear();
                // Process CPU: the copy and the sync are this thread's, the
                // progress window's painting too.
                const double c0 = processCpuMs();
                saveAs.measure([&] { result->SaveToNewFilePath(ours); });
                saveAs.cpu.back() = processCpuMs() - c0;
                if (quiet.messages != QStringList{stored} || filesIn(ours) != kKept) {
                    std::printf("run %d: the copy went wrong: %s\n", run, qPrintable(quiet.messages.join(" / ")));
                    return 1;
                }
            } else {
                const CopyAndSync r = cpThenSync(copyFiles, theirs);
                if (!r.ok()) {
                    std::printf("run %d: cp + sync failed\n", run);
                    return 1;
                }
                refCpu.push_back(r.cpuMs());
                refWall.push_back(r.wallMs());
            }
        }
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
    }
    std::printf("save as a copy (另存为), %d pages of 1 MB, synced, %d runs, interleaved with cp + sync -f:\n",
                kKept, copyRuns);
    std::printf("  另存为     CPU  %s ms (process)\n", qPrintable(figures(saveAs.cpu, 2)));
    std::printf("  另存为     wall %s ms\n", qPrintable(figures(saveAs.wall, 2)));
    std::printf("  cp + sync CPU  %s ms (children)\n", qPrintable(figures(refCpu, 2)));
    std::printf("  cp + sync wall %s ms\n", qPrintable(figures(refWall, 2)));
    std::printf("  ratio of medians, 另存为 / (cp + sync): wall %.2fx, CPU %.2fx   [target: wall within 1.3x]\n",
                median(saveAs.wall) / median(refWall), median(saveAs.cpu) / median(refCpu));
    setDialogs(nullptr);
    return 0;
}
