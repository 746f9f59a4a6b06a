// Batch deletion and reordering on a 10,000-page movie, through the real
// windows: opening each window, removing 5,000 scattered rows and applying,
// moving 1,000 scattered rows. Rows name images that are not in the folder
// (only the first page's picture is there), so applying moves no file: the
// figures are the windows' and the lookups' own work. Then the deletion
// again with all 10,000 images there, written fresh for every run, so
// applying moves 5,000 of them into delete_image, as it does for the user.
//   bench_tools [runs]
// Prints main-thread CPU time and wall time, median with min and max.

#include "bench_gui.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "pages/ImgSortWnd.h"
#include "pages/WndDelPages.h"
#include "pages/batch_delete.h"
#include "platform/dialogs.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelection>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kRows = 10000;

template <class W>
W* shown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* tool = qobject_cast<W*>(w); tool && tool->isVisible()) return tool;
    return nullptr;
}

// Every step-th row, each a selection range of its own as Ctrl+clicks make.
void selectEvery(QListWidget* list, int step, int count) {
    QItemSelection selection;
    for (int i = 0; i < count; ++i) {
        const QModelIndex index = list->model()->index(i * step + 1, 0);
        selection.select(index, index);
    }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    AnsweringDialogs quiet;
    setDialogs(&quiet);
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 11;
    std::printf("processor: %s\n", qPrintable(processorName()));

    QTemporaryDir tmp;
    QStringList rows;
    for (int i = 0; i < kRows; ++i)
        rows.append(QStringLiteral("img%1.jpg :第%2页的解说，故事继续发展。").arg(i, 5, 10, QLatin1Char('0')).arg(i));
    photoLike({1280, 720}, 1).save(QDir(tmp.path()).filePath("img00000.jpg"), "JPG", 90);

    PicMovieWnd wnd;
    wnd.show();
    wnd.rootFilePath = tmp.path();
    app.processEvents();

    Figures openDel, removeDel, applyDel, lookups, openSort, moveSort;
    for (int run = 0; run < runs; ++run) {
        wnd.replaceRows(rows);
        WndDelPages* del = nullptr;
        openDel.measure([&] {
            wnd.BtnDelMorePages_Click();
            del = shown<WndDelPages>();
            del->repaint();
        });
        if (!del || del->ListSrc->count() != kRows) return 1;
        selectEvery(del->ListSrc, 2, kRows / 2);
        removeDel.measure([&] { del->BtnDelSel->click(); });
        applyDel.measure([&] { del->BtnOk->click(); });
        if (wnd.rowCount() != kRows / 2 || del->isVisible()) return 1;

        // The lookups and the main list's refill alone.
        const QStringList remaining = wnd.rows();
        wnd.replaceRows(rows);
        qsizetype going = 0;
        lookups.measure([&] {
            going = pages::rowsWhoseImageGoes(rows, remaining).size();
            wnd.replaceRows(remaining);
        });
        if (going != kRows / 2) return 1;

        wnd.replaceRows(rows);
        ImgSortWnd* sort = nullptr;
        openSort.measure([&] {
            wnd.BtnImgSort_Click();
            sort = shown<ImgSortWnd>();
            sort->repaint();
        });
        if (!sort) return 1;
        selectEvery(sort->ListImgSrc, 10, kRows / 10);
        sort->ListImgInsert->selectRow(5004);
        moveSort.measure([&] { sort->BtnInsert->click(); });
        if (!sort->changed() || sort->ListImgInsert->item(5004)->text() != rows[5001]) return 1;
        sort->close();  // the quiet No: nothing applied
    }
    // The deletion again, the images there.
    QStringList names;
    for (const QString& row : rows) names << PicMovieWnd::GetImageNameWithRowStr(row);
    const QByteArray jpeg = photoJpeg({320, 180}, 7);
    Figures applyReal;
    for (int run = 0; run < runs; ++run) {
        const QString movie = tmp.filePath(QStringLiteral("real%1").arg(run));
        if (!writeFiles(movie, names, jpeg)) return 1;
        wnd.rootFilePath = movie;
        wnd.replaceRows(rows);
        wnd.BtnDelMorePages_Click();
        WndDelPages* del = shown<WndDelPages>();
        if (!del) return 1;
        selectEvery(del->ListSrc, 2, kRows / 2);
        del->BtnDelSel->click();
        applyReal.measure([&] { del->BtnOk->click(); });
        const auto filesIn = [](const QString& dir) { return QDir(dir).entryList(QDir::Files).size(); };
        if (wnd.rowCount() != kRows / 2 || del->isVisible() || filesIn(movie) != kRows / 2 ||
            filesIn(QDir(movie).filePath("delete_image")) != kRows / 2) {
            std::printf("run %d: the deletion moved the wrong files\n", run);
            return 1;
        }
        wnd.rootFilePath = tmp.path();
        QDir(movie).removeRecursively();
    }

    openDel.print("open 批量删除 on 10,000 rows, to the first row shown and painted");
    removeDel.print("remove 5,000 scattered rows (删除(D)), list refilled");
    applyDel.print("apply (应 用): progress, lookups, 5,000 DeleteOneImage finding no file, main list refilled");
    applyReal.print(qPrintable(QStringLiteral("apply with the images there (%1 KB JPEGs, fresh each run): "
                                              "5,000 moved into delete_image, main list refilled")
                                   .arg(jpeg.size() / 1024)));
    lookups.print("lookups (hashed) + main list refill alone, 5,000 of 10,000 rows kept");
    openSort.print("open 图片排序 on 10,000 rows, both lists filled, first rows shown and painted");
    moveSort.print("move 1,000 scattered rows (插入→), both lists refilled");
    setDialogs(nullptr);
    return 0;
}
