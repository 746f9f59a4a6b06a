// Reordering through the real window: a move, the refusals, applying with
// 确 定, and closing with each answer to the question.

#include "../editor/editor_fixture.h"
#include "pages/ImgSortWnd.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

const QString kAsk = QStringLiteral("是否保存顺序更改？");

// "B D" stands for the rows "b.jpg :B", "d.jpg :D".
QStringList pageRows(const QString& letters) {
    QStringList out;
    for (const QString& l : letters.split(u' ')) out.append(l.toLower() + ".jpg :" + l);
    return out;
}

struct SortFixture : EditorFixture {
    ImgSortWnd* sort = nullptr;

    SortFixture() {
        open(makeMovie("m", {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}, pageRows("A B C D E")));
        reopen();
    }
    void reopen() {
        wnd->BtnImgSort->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<ImgSortWnd*>(w)) sort = found;
    }
    // Selects rows on the left, chooses one on the right (−1: none), presses 插入→.
    void move(const QList<int>& left, int right) {
        sort->ListImgSrc->clearSelection();
        for (int r : left) sort->ListImgSrc->item(r)->setSelected(true);
        if (right >= 0) sort->ListImgInsert->selectRow(right);
        else sort->ListImgInsert->clearSelection();
        sort->BtnInsert->click();
    }
    bool leftIs(const QStringList& rows) const {
        for (int i = 0; i < rows.size(); ++i)
            if (sort->ListImgSrc->item(i)->text() != rows[i]) return false;
        return sort->ListImgSrc->count() == rows.size() && sort->rows() == rows;
    }
};

} // namespace

class TestImageSort : public QObject {
    Q_OBJECT
private slots:
    void moving() {
        SortFixture f;
        QCOMPARE(f.sort->Label1->text(),
                 QStringLiteral("操作说明：") + QString(64, u' ') +
                     QStringLiteral("（1）首先从左侧选择需要修改顺序的图片，支持多选，按住Shift可快速选中；    "
                                    "（2）选择完毕后，在右侧列表中选择插入选中图片的位置，只能单选，然后点击中间“插入→”按钮即可插入；"));
        // both show row 0; only the right one has it selected
        QVERIFY(!f.wnd->isEnabled() && f.sort->ListImgInsert->item(0)->isSelected());
        QVERIFY(f.sort->ListImgSrc->currentRow() == 0 && !f.sort->ListImgSrc->selectionModel()->hasSelection());

        f.move({1, 3}, 0);
        QVERIFY(f.leftIs(pageRows("A B D C E")) && f.sort->changed());
        // the first moved page is shown on the left, unselected; A stays chosen
        QVERIFY(!f.sort->ListImgSrc->selectionModel()->hasSelection());
        QCOMPARE(f.sort->IntroSrcShow->toPlainText(), QStringLiteral("B"));
        QVERIFY(f.sort->ListImgInsert->item(0)->isSelected() && f.rows() == pageRows("A B C D E"));

        f.dialogs.expectMessage(QStringLiteral("插入位置非法！你不能在左右列表选中同一个元素>_<!"));
        f.move({0, 3}, 3);
        f.dialogs.expectMessage(QStringLiteral("请先在右侧列表中选择插入位置"));
        f.move({4}, -1);
        f.move({}, 2);  // nothing selected: no change, the left list's current row reset
        QVERIFY(f.sort->ListImgSrc->currentRow() == 3 && f.leftIs(pageRows("A B D C E")));

        f.sort->BtnOK->click();  // no question
        QCOMPARE(f.rows(), pageRows("A B D C E"));
        QVERIFY(f.wnd->editedThisMovie && f.wnd->windowTitle() == kBase && f.wnd->selectedRow() == -1);
        QVERIFY(!f.sort->isVisible() && f.wnd->isEnabled());
        VERIFY_DIALOGS(f.dialogs);
    }

    void closing() {
        SortFixture f;
        f.move({0, 1}, 3);
        f.dialogs.expectYesNoCancel(Answer::Cancel, kAsk);
        f.sort->BtnCancel->click();
        QVERIFY(f.sort->isVisible() && !f.wnd->isEnabled() && f.leftIs(pageRows("C D A B E")));
        f.dialogs.expectYesNoCancel(Answer::No, kAsk);
        QTest::keyClick(f.sort->ListImgSrc, Qt::Key_Escape);
        QVERIFY(!f.sort->isVisible() && f.wnd->isEnabled() && f.rows() == pageRows("A B C D E"));
        f.reopen();  // the flag starts cleared: no question without a move
        f.sort->close();
        f.reopen();
        f.move({4}, 0);
        f.dialogs.expectYesNoCancel(Answer::Yes, kAsk);
        f.sort->close();
        QVERIFY(!f.sort->isVisible() && f.wnd->isEnabled() && f.wnd->editedThisMovie);
        QCOMPARE(f.rows(), pageRows("A E B C D"));
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestImageSort)
#include "test_image_sort.moc"
