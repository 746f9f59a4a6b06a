// The rows journal of a 10,000-page movie, through the main window: what the
// window thread pays when a change has rested and the journal is handed to
// its thread (the typing side), how long that thread takes to write it, and
// the write made at once before a file operation.
//   bench_journal [runs]

#include "script_only_editor.h"
#include "bench_support.h"
#include "editor/PicMovieWnd.h"
#include "editor/journal_keeper.h"
#include "model/rows_journal.h"
#include "model/script_file.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    constexpr int kRows = 10000;
    ScriptOnlyEditor editor;
    if (!editor.open(kRows)) return 1;
    PicMovieWnd& wnd = *editor.wnd;
    const QString& movie = editor.movie;
    JournalKeeper* keeper = wnd.journalKeeper();
    std::printf("processor: %s\nrows journal of %d rows:\n", qPrintable(processorName()), kRows);
    Figures handOver, writing, now;
    for (int r = 0; r < runs; ++r) {
        wnd.setRowText(r, wnd.rowText(r) + QStringLiteral("改"));
        wnd.MarkUnsaved();
        handOver.measure([&] { keeper->writeInBackground(); });
        // The writing thread's own time: wall until it is on disk.
        QElapsedTimer t;
        t.start();
        const double c0 = processCpuMs();
        keeper->flush();
        writing.wall.push_back(msSince(t));
        writing.cpu.push_back(processCpuMs() - c0);
        QString why;
        now.measure([&] { keeper->writeNow(wnd.rows(), &why); });
    }
    std::printf("  journal file: %lld bytes\n", QFileInfo(rowsjournal::journalPath(movie)).size());
    handOver.print("window thread, handing the journal over (what typing waits for)");
    writing.print("writing thread, serialising and writing it (the window thread goes on)");
    now.print("written at once, before a file operation");
    setDialogs(nullptr);
    return 0;
}
