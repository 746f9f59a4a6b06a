// The selection window through its controls: opening and closing, modes and
// bands, ticks, the three number boxes, and runs into the result window.

#include "../editor/editor_fixture.h"
#include "editor/LoadingWnd.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

// Rows "p000.jpg :…" of which only the first image exists: the main window
// shows its first page quietly. Rows in `intros` have one, row 1 spaces only.
QStringList numbered(int n, const QList<int>& intros = {}) {
    QStringList rows;
    for (int p = 0; p < n; ++p)
        rows.append(QStringLiteral("p%1.jpg :%2").arg(p, 3, 10, QLatin1Char('0')).arg(intros.contains(p) ? QStringLiteral("解说%1").arg(p) : p == 1 ? "  " : ""));
    return rows;
}

struct CutFixture : EditorFixture {
    SmartCutWnd* cut = nullptr;

    explicit CutFixture(const QStringList& rows) {
        open(makeMovie("m", rows.isEmpty() ? QStringList{} : QStringList{"p000.jpg"}, rows));
        reopen();
    }
    void reopen() {
        wnd->BtnImgCut->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<SmartCutWnd*>(w)) cut = found;
    }
    // Types into a box and moves on with Tab, in the window the user works
    // in (a run activates the result window).
    void commit(QLineEdit* box, const QString& text) {
        QApplication::setActiveWindow(cut);
        box->setFocus(Qt::TabFocusReason);
        box->setText(text);
        cut->TextSrtUrl->setFocus(Qt::TabFocusReason);
    }
    bool barIs(int band, const QColor& colour, const QColor& fill) const {
        return cut->ShapeStory[band - 1]->borderColor() == colour && cut->ShapeStory[band - 1]->fillColor() == fill;
    }
};

const QColor kGreenBorder(0, 128, 0), kGreenFill(0, 255, 0);

} // namespace

class TestSmartCut : public QObject {
    Q_OBJECT
private slots:
    void openingAndClosing() {
        CutFixture f(numbered(25, {4, 9}));
        SmartCutWnd* c = f.cut;
        QVERIFY(c->isVisible() && !f.wnd->isEnabled() && c->windowTitle() == QStringLiteral("自动筛选图片"));
        QVERIFY(c->ListImgSrc->currentRow() == 0 && c->ListImgSrc->item(24)->checkState() == Qt::Unchecked);
        QCOMPARE(QStringList({c->LabelImgTotal->text(), c->LabelImgHaveIntro->text(), c->LabelImgSelected->text()}),
                 QStringList({"全部图片共计：25 张", "含有解说的行：2 张", "选中保留的行：0 张"}));
        // The intro rows count in the minimum from the start.
        QCOMPARE(c->LabelCutSize->text(), QStringLiteral("（2-25）张"));

        // What one opening changed is gone at the next.
        f.commit(c->TextImgCutRest, "12");
        c->ComboCutWay->setCurrentIndex(1);
        c->CheckStory[2]->click();
        c->CheckKeepHaveIntro->click();
        QVERIFY(c->fields().cutRestCount == 12 && c->fields().minCutRest == 1);
        QTest::keyClick(c->ListImgSrc, Qt::Key_Escape);
        QVERIFY(!c->isVisible() && f.wnd->isEnabled());
        f.reopen();
        QVERIFY(!f.wnd->isEnabled() && c->fields().cutRestCount == 0 && c->fields().minCutRest == 2);
        QVERIFY(c->ComboCutWay->currentIndex() == 0 && c->CheckKeepHaveIntro->isChecked() && !c->CheckStory[2]->isChecked());
        QCOMPARE(QStringList({c->TextImgCutRest->text(), c->TextMinPieceSize->text(), c->TextMaxPieceSize->text()}),
                 QStringList({"1", "0", "20"}));
        c->close();
        QVERIFY(f.wnd->isEnabled());
        VERIFY_DIALOGS(f.dialogs);
    }

    void emptyMovie() {
        CutFixture f({});
        SmartCutWnd* c = f.cut;
        QVERIFY(c->LabelImgTotal->text() == QStringLiteral("全部图片共计：0 张") && c->LabelCutSize->text() == QStringLiteral("（1-0）张"));
        c->CheckKeepStartEnd->click();  // nothing to tick
        c->ComboCutWay->setCurrentIndex(1);
        c->BtnStory[4]->click();  // nowhere to go
        f.dialogs.expectMessage(QStringLiteral("没有可以筛选的图片"));
        c->BtnStartCut->click();
        QVERIFY(!c->resultWnd()->isVisible() && c->ListImgSrc->currentRow() == -1);
        VERIFY_DIALOGS(f.dialogs);
    }

    void modesBandsAndTicks() {
        CutFixture f(numbered(25, {7}));
        SmartCutWnd* c = f.cut;
        QVERIFY(!c->CheckStory[0]->isEnabled() && !c->BtnStory[0]->isEnabled() && !c->TextMinPieceSize->isEnabled());
        c->ComboCutWay->setCurrentIndex(1);
        QVERIFY(c->CheckStory[0]->isEnabled() && c->BtnStory[9]->isEnabled() && c->TextMinPieceSize->isEnabled());
        c->CheckStory[1]->click();
        c->CheckStory[3]->click();
        const QColor grey = c->ShapeStory[0]->fillColor();
        QVERIFY(c->fields().storyCheckedCount == 2 && f.barIs(2, kGreenBorder, kGreenFill) && f.barIs(4, kGreenBorder, kGreenFill));
        QVERIFY(grey != kGreenFill && f.barIs(1, grey, grey));  // the inactive border's colour
        c->ComboCutWay->setCurrentIndex(0);  // greyed, ticks kept
        QVERIFY(!c->CheckStory[1]->isEnabled() && f.barIs(2, grey, grey) && c->CheckStory[1]->isChecked());

        // Band k starts at floor(25 × (k − 1) / 10); the preview follows.
        c->ComboCutWay->setCurrentIndex(1);
        for (auto [k, row] : {std::pair{4, 7}, {1, 0}, {5, 10}, {10, 22}}) {
            c->BtnStory[k - 1]->click();
            QVERIFY(c->ListImgSrc->currentRow() == row && c->IntroSrc->toPlainText() == (row == 7 ? QStringLiteral("解说7") : ""));
        }

        // 保留片头片尾 ticks, never clears; ticks from code count as clicks do.
        c->CheckKeepStartEnd->click();
        c->CheckKeepStartEnd->click();
        QVERIFY(c->ListImgSrc->item(0)->checkState() == Qt::Checked && c->ListImgSrc->item(24)->checkState() == Qt::Checked);
        QCOMPARE(c->LabelImgSelected->text(), QStringLiteral("选中保留的行：2 张"));
        QCOMPARE(c->LabelCutSize->text(), QStringLiteral("（3-25）张"));
        c->ListImgSrc->item(0)->setCheckState(Qt::Unchecked);  // as the user's click on the box
        c->CheckKeepHaveIntro->click();
        QVERIFY(c->tickedCount() == 1 && c->LabelCutSize->text() == QStringLiteral("（1-25）张"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void numberBoxes() {
        CutFixture f(numbered(25));
        SmartCutWnd* c = f.cut;
        struct Step {
            QLineEdit* box;
            const char* text;
            const char* boxAfter;  // nullptr: as typed; "" after the message
            int target, minGap, maxGap;
        };
        const Step steps[] = {
            {c->TextImgCutRest, "abc", "", 0, 0, 20},
            {c->TextImgCutRest, "12.5", nullptr, 12, 0, 20},
            {c->TextImgCutRest, "40000", "", 12, 0, 20},  // beyond 16 bits
            {c->TextImgCutRest, "26", "", 12, 0, 20},     // beyond N: not the target
            {c->TextImgCutRest, "13.5", nullptr, 14, 0, 20},
            {c->TextMinPieceSize, "-3", "0", 14, 0, 20},
            {c->TextMaxPieceSize, "5", nullptr, 14, 0, 5},
            {c->TextMinPieceSize, "8", "5", 14, 5, 8},  // swapped
            {c->TextMaxPieceSize, "99", "25", 14, 5, 25},
            {c->TextMaxPieceSize, "abc", "25", 14, 5, 25},
            {c->TextMinPieceSize, "40000", "0", 14, 0, 25},
            {c->TextMaxPieceSize, "-4", "0", 14, -4, 0},  // swapped: a negative minimum
        };
        c->ComboCutWay->setCurrentIndex(1);
        for (const Step& s : steps) {
            const bool rejected = s.boxAfter && !*s.boxAfter;
            if (rejected) f.dialogs.expectMessage(QStringLiteral("请输入合法（1-25）的数字>_<!"));
            f.commit(s.box, QString::fromUtf8(s.text));
            QCOMPARE(s.box->text(), QString::fromUtf8(s.boxAfter ? s.boxAfter : s.text));
            QCOMPARE(c->TextImgCutRest->hasFocus(), rejected);  // it gets the focus back
            QVERIFY2(c->fields().cutRestCount == s.target && c->fields().minPieceSize == s.minGap &&
                         c->fields().maxPieceSize == s.maxGap, s.text);
        }
        QCOMPARE(c->TextMinPieceSize->text(), QStringLiteral("-4"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void runs() {
        const QStringList rows = numbered(100);
        CutFixture f(rows);
        SmartCutWnd* c = f.cut;
        SmartCutResultWnd* result = c->resultWnd();
        // No target committed: the minimum (1) applies and stays the target.
        f.dialogs.expectMessage(QStringLiteral("筛选完成！剩余：1 张"));
        c->BtnStartCut->click();
        QVERIFY(result->rows() == QStringList{rows[0]} && c->fields().cutRestCount == 1);

        f.commit(c->TextImgCutRest, "50");
        f.dialogs.expectMessage(QStringLiteral("筛选完成！剩余：34 张"));
        c->BtnStartCut->click();
        QStringList every3rd;
        for (int p = 0; p < 100; p += 3) every3rd.append(rows[p]);
        QVERIFY(result->rows() == every3rd && result->isVisible() && !f.wnd->loadingWnd()->isVisible());
        QCOMPARE(f.wnd->loadingWnd()->TextLoadMsg->text(), QStringLiteral("开始筛选图片，总计：100张，目标：50张"));
        QCOMPARE(result->LabelCutLog->text(), QStringLiteral("[线性均分完成！]目标筛选张数：50 张，实际筛选张数：34 张，减少：66.00%"));

        // Curve: twice the average gap becomes the maximum; its box keeps its text.
        f.commit(c->TextImgCutRest, "10");
        c->ComboCutWay->setCurrentIndex(1);
        f.dialogs.expectMessage(QStringLiteral("筛选完成！剩余：25 张"));
        c->BtnStartCut->click();
        QVERIFY(result->rows().last() == rows[97] && c->fields().maxPieceSize == 20 && c->TextMaxPieceSize->text() == "20");
        QCOMPARE(result->LabelCutLog->text(), QStringLiteral("[曲线抽样完成！]目标筛选张数：10 张，实际筛选张数：25 张，减少：75.00%"));
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestSmartCut)
#include "test_smart_cut.moc"
