// The selection window on a 10,000-page movie, through the real windows:
// opening it, a run in each mode from 开始筛选 to the result window filled
// (progress, message and log line included), and ticking rows one by one.
// Rows name images that are not in the folder but the first, whose picture
// the previews decode.
//   bench_selection [runs]
// Prints main-thread CPU time and wall time, median with min and max.

#include "bench_gui.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "platform/dialogs.h"
#include "platform/preview_decoder.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kRows = 10000;
constexpr int kTicks = 1000;

SmartCutWnd* shownSelection() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* tool = qobject_cast<SmartCutWnd*>(w); tool && tool->isVisible()) return tool;
    return nullptr;
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
    // Every seventh page has an intro, as a movie half written has.
    for (int i = 0; i < kRows; ++i)
        rows.append(QStringLiteral("img%1.jpg :%2").arg(i, 5, 10, QLatin1Char('0'))
                        .arg(i % 7 == 0 ? QStringLiteral("第%1页的解说，故事继续发展。").arg(i) : QString()));
    photoLike({1280, 720}, 1).save(QDir(tmp.path()).filePath("img00000.jpg"), "JPG", 90);

    PicMovieWnd wnd;
    wnd.show();
    wnd.rootFilePath = tmp.path();
    wnd.replaceRows(rows);
    app.processEvents();

    Figures open, linear, curve, ticking, recount;
    qsizetype linearKept = 0, curveKept = 0;
    for (int run = 0; run < runs; ++run) {
        SmartCutWnd* cut = nullptr;
        open.measure([&] {
            wnd.BtnImgCut_Click();
            cut = shownSelection();
            cut->repaint();
        });
        if (!cut || cut->ListImgSrc->count() != kRows) return 1;

        // 3,000 of 10,000, intro rows kept (1,429 of them).
        cut->TextImgCutRest->setText(QStringLiteral("3000"));
        cut->TextImgCutRest_LostFocus();
        const auto told = quiet.messages.size();
        linear.measure([&] { cut->BtnStartCut_Click(); });
        linearKept = cut->resultWnd()->rows().size();

        // Curve, 1,000 of 10,000 without the intro rows, bands 3 and 8 heavy.
        cut->CheckKeepHaveIntro->click();
        cut->TextImgCutRest->setText(QStringLiteral("1000"));
        cut->TextImgCutRest_LostFocus();
        cut->ComboCutWay->setCurrentIndex(1);
        cut->CheckStory[2]->click();
        cut->CheckStory[7]->click();
        curve.measure([&] { cut->BtnStartCut_Click(); });
        curveKept = cut->resultWnd()->rows().size();
        if (quiet.messages.size() != told + 2 || linearKept == 0 || curveKept == 0) return 1;

        // Each tick updates the count, the labels and the minimum target.
        ticking.measure([&] {
            for (int i = 0; i < kTicks; ++i) cut->ListImgSrc->item(i * 10 + 3)->setCheckState(Qt::Checked);
        });
        if (cut->tickedCount() != kTicks) return 1;
        // What each tick would cost if it counted all rows again instead.
        int counted = 0;
        recount.measure([&] {
            for (int i = 0; i < kRows; ++i) counted += cut->ListImgSrc->item(i)->checkState() == Qt::Checked;
        });
        if (counted != kTicks) return 1;
        cut->resultWnd()->close();
        cut->close();
    }
    std::printf("rows kept: linear %lld, curve %lld\n", static_cast<long long>(linearKept),
                static_cast<long long>(curveKept));
    open.print("open 自动筛选图片 on 10,000 rows, to the first row shown and painted");
    linear.print("run 线性均分 (3,000, intro rows kept) on 10,000 rows, result window filled and shown");
    curve.print("run 曲线抽样 (1,000, bands 3 and 8) on 10,000 rows, result window filled and shown");
    ticking.print("tick 1,000 rows one by one (count, labels, minimum target each time)");
    recount.print("for comparison: one recount of the ticks of 10,000 rows");
    setDialogs(nullptr);
    return 0;
}
