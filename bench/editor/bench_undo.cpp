// Undo and redo on a 10,000-page movie, through the main window's history:
// one step of each kind of row change (file moves excluded), and the memory
// a day's work of 10,000 recorded changes holds.
//   bench_undo [runs]

#include "script_only_editor.h"
#include "bench_support.h"
#include "editor/MovieHistory.h"
#include "editor/PicMovieWnd.h"
#include "model/script_file.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    constexpr int kRows = 10000;
    ScriptOnlyEditor editor;
    if (!editor.open(kRows)) return 1;
    PicMovieWnd& wnd = *editor.wnd;
    QTemporaryDir& tmp = editor.tmp;
    MovieHistory* history = wnd.history();
    qint64 clock = 0;
    history->setClock([&clock] { return clock; });
    std::printf("processor: %s\nundo history of a %d-row movie:\n", qPrintable(processorName()), kRows);

    Figures undoInsert, redoInsert, undoMove, redoMove;
    for (int r = 0; r < runs; ++r) {
        wnd.setSelectedRow(100 + r);
        wnd.BtnInsertPage->click();
        undoInsert.measure([&] { history->undo(); });
        redoInsert.measure([&] { history->redo(); });
        wnd.BtnDownImg->click();
        undoMove.measure([&] { history->undo(); });
        redoMove.measure([&] { history->redo(); });
    }
    undoInsert.print("undo of 插入一页");
    redoInsert.print("redo of 插入一页");
    undoMove.print("undo of ↓");
    redoMove.print("redo of ↓");

    // A day's work: 10,000 intro edits, each its own step (a pause apart).
    history->reset();
    const double before = residentMb();
    for (int i = 0; i < kRows; ++i) {
        const QString was = wnd.rowText(i);
        const QString now = was + QStringLiteral("，又补了一句解说");
        {
            const MovieHistory::Hold typing = history->hold();
            wnd.setRowText(i, now);
        }
        history->noteIntroEdit(i, was, now);
        clock += 2000;
    }
    const double after = residentMb();
    std::printf("10,000 recorded intro edits: %d steps, resident memory %.1f MB before, %.1f MB after (+%.1f MB, "
                "rows grown by the edits included)\n",
                int(history->stack().count()), before, after, after - before);
    Figures undoEdit;
    for (int r = 0; r < runs; ++r) undoEdit.measure([&] { history->undo(); });
    undoEdit.print("undo of an intro edit, with 10,000 steps in the history");

    // Publishing 5,000 separate image files, then its undo: every rename
    // reversed and the script saved again.
    constexpr int kImages = 5000;
    const int publishRuns = std::max(3, runs / 4);
    AnsweringDialogs yes(Answer::Yes);
    setDialogs(&yes);
    Figures undoPublish;
    for (int r = 0; r < publishRuns; ++r) {
        const QString dir = tmp.filePath(QStringLiteral("published%1").arg(r));
        QDir().mkpath(dir);
        QStringList published;
        for (int i = 0; i < kImages; ++i) {
            const QString name = QStringLiteral("%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
            QFile f(QDir(dir).filePath(name));
            if (!f.open(QIODevice::WriteOnly) || f.write("jpeg") != 4) return 1;
            published << name + QStringLiteral(" :解说");
        }
        if (!script::write(QDir(dir).filePath(script::kFileName), published).ok) return 1;
        wnd.FilePathList->setPath(dir);
        wnd.FilePathList_Change();
        wnd.BtnExportTj->click();
        if (!QFile::exists(QDir(dir).filePath(QStringLiteral("rs_0.jpg")))) {
            std::printf("publishing did not happen\n");
            return 1;
        }
        undoPublish.measure([&] { history->undo(); });
        if (!QFile::exists(QDir(dir).filePath(QStringLiteral("00000.jpg")))) {
            std::printf("the undo of publishing did not happen\n");
            return 1;
        }
    }
    undoPublish.print("undo of publishing 5,000 images (renames reversed, script saved)");
    setDialogs(nullptr);
    return 0;
}
