// Find over 100,000 intros to the count: the finding itself (the next
// match with its index and the count, and the count alone), with a common
// and a rare text, Chinese and Latin in any case; then F3 in the main
// window on a movie of as many pages, to the count shown.
//   bench_find [runs]

#include "script_only_editor.h"
#include "bench_support.h"
#include "editor/FindBar.h"
#include "editor/MovieHistory.h"
#include "editor/PicMovieWnd.h"
#include "editor/find_text.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    constexpr int kRows = 100000;
    QStringList rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows << QStringLiteral("%1.jpg :第%2页，主角走进了雨里，回头看了一眼。Then the Rain stopped.")
                    .arg(i, 6, 10, QLatin1Char('0'))
                    .arg(i + 1);
    rows[kRows / 2] += QStringLiteral("彩虹");
    std::printf("processor: %s\nfind over %d intros (%d runs):\n", qPrintable(processorName()), kRows, runs);

    struct Case {
        const char* what;
        QString needle;
        find::Options options;
    } cases[] = {
        {"\"回头\", on every page", QStringLiteral("回头"), {}},
        {"\"rain\", any case, on every page", QStringLiteral("rain"), {}},
        {"\"彩虹\", on one page", QStringLiteral("彩虹"), {}},
        {"\"彩虹\", image names too", QStringLiteral("彩虹"), {false, true}},
    };
    for (const Case& c : cases) {
        // What F3 does: the match after the middle page, its index and the count.
        Figures next, countOnly;
        find::Found found;
        for (int r = 0; r < runs; ++r) {
            next.measure([&] { found = find::findFrom(rows, c.needle, c.options, kRows / 2, 0, true, true); });
            countOnly.measure([&] { found.total = find::countAll(rows, c.needle, c.options); });
        }
        std::printf("%s: %s\n", c.what, qPrintable(find::countText(found.index, found.total)));
        next.print("  the next match and the count");
        countOnly.print("  the count alone");
    }

    // The window: F3 from the first page to the count on the bar.
    ScriptOnlyEditor editor;
    if (!editor.open(kRows, true)) return 1;
    PicMovieWnd& wnd = *editor.wnd;
    wnd.setSelectedRow(0);
    QApplication::setActiveWindow(&wnd);  // keys go to the focused control
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused ? focused : &wnd, Qt::Key_F, Qt::ControlModifier);
    auto* bar = wnd.findChild<FindBar*>(QStringLiteral("FindBar"));
    if (!bar) {
        std::fprintf(stderr, "bench_find: Ctrl+F opened no find bar\n");
        return 1;
    }
    bar->setNeedle(QStringLiteral("回头"));
    Figures f3;
    for (int r = 0; r < runs; ++r) f3.measure([&] { QTest::keyClick(bar->TxtFind, Qt::Key_F3); });
    std::printf("F3 in the window on %d pages, to \"%s\":\n", kRows, qPrintable(bar->countText()));
    f3.print("  F3");

    // Replace all on every page, its question answered, and its undo.
    AnsweringDialogs yes(Answer::Yes);
    setDialogs(&yes);
    QTest::keyClick(bar->TxtFind, Qt::Key_H, Qt::ControlModifier);
    Figures replaceAll, undo;
    const int replaceRuns = std::min(runs, 5);
    for (int r = 0; r < replaceRuns; ++r) {
        bar->TxtReplace->setText(r % 2 ? QStringLiteral("回头") : QStringLiteral("回首"));
        bar->setNeedle(r % 2 ? QStringLiteral("回首") : QStringLiteral("回头"));
        replaceAll.measure([&] { bar->BtnReplaceAll->click(); });
        undo.measure([&] { wnd.history()->undo(); });
        wnd.history()->redo();
    }
    std::printf("replace all in %d intros, \"%s\" (%d runs):\n", kRows, qPrintable(bar->countText()), replaceRuns);
    replaceAll.print("  replace all");
    undo.print("  its undo");
    setDialogs(nullptr);
    return 0;
}
