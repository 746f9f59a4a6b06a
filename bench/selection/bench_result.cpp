// Saving a selection result in place on a 10,000-page movie with 1,000 pages
// kept, through the real windows. Rows name images that are not in the
// folder, so DeleteOneImage moves no file: the figures are the window's,
// the lookups' and the main list's own work.
//   bench_result [runs]
// Prints main-thread CPU time and wall time, median with min and max.

#include "bench_gui.h"
#include "editor/PicMovieWnd.h"
#include "pages/batch_delete.h"
#include "platform/dialogs.h"
#include "platform/preview_decoder.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"

#include <QApplication>
#include <QElapsedTimer>
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    AnsweringDialogs quiet;
    setDialogs(&quiet);
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 11;
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
    setDialogs(nullptr);
    return 0;
}
