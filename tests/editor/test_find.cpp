// Find, replace and the page jumps in the main window, driven by keys as
// the user presses them, with the intro box or the page list focused.

#include "editor/FindBar.h"
#include "editor_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

// A key pressed in a control, the focus put there first.
void press(QWidget* to, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    to->setFocus();
    QTest::keyClick(to, key, mods);
}

// Characters as an input method delivers them, to whatever has the focus.
void type(const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &down);
        QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &up);
    }
}

FindBar* bar(EditorFixture& f) { return f.wnd->findChild<FindBar*>(QStringLiteral("FindBar")); }
QString count(EditorFixture& f) { return bar(f)->findChild<QLabel*>(QStringLiteral("LabelFindCount"))->text(); }
QLineEdit* field(EditorFixture& f, const char* name) { return bar(f)->findChild<QLineEdit*>(QLatin1String(name)); }
QPushButton* button(EditorFixture& f, const char* name) { return bar(f)->findChild<QPushButton*>(QLatin1String(name)); }

const QStringList kImages{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "雨.jpg"};
const QStringList kRows{"1.jpg :雨夜", "2.jpg", "3.jpg :又是雨，雨停了", "4.jpg :晴", "雨.jpg :云"};

} // namespace

class TestFind : public QObject {
    Q_OBJECT
private slots:
    void findWrapsAndCounts() {
        EditorFixture f;
        f.open(f.makeMovie("m", kImages, kRows));
        f.wnd->setSelectedRow(1);
        f.typeIntro("有雨吗");  // typed on page 2 before finding: kept
        press(f.intro(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bar(f) && bar(f)->isVisible());
        QCOMPARE(QApplication::focusWidget(), field(f, "TxtFind"));
        type("雨");
        // From the page shown on: its own intro first.
        QCOMPARE(count(f), QStringLiteral("第 2 / 4 处"));
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(f.intro()->textCursor().selectedText(), QStringLiteral("雨"));
        press(field(f, "TxtFind"), Qt::Key_F3);
        QCOMPARE(count(f), QStringLiteral("第 3 / 4 处"));
        QCOMPARE(f.wnd->selectedRow(), 2);
        QCOMPARE(f.intro()->text(), QStringLiteral("又是雨，雨停了"));
        QCOMPARE(f.intro()->textCursor().selectionStart(), 2);
        press(field(f, "TxtFind"), Qt::Key_Return);
        QCOMPARE(count(f), QStringLiteral("第 4 / 4 处"));
        QCOMPARE(f.intro()->textCursor().selectionStart(), 4);
        press(field(f, "TxtFind"), Qt::Key_F3);
        QCOMPARE(count(f), QStringLiteral("第 1 / 4 处"));  // wrapped to the first page
        QCOMPARE(f.wnd->selectedRow(), 0);
        press(field(f, "TxtFind"), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(count(f), QStringLiteral("第 4 / 4 处"));  // and back past it
        QCOMPARE(f.wnd->selectedRow(), 2);
        // Image names only when asked: the fifth page's name.
        bar(f)->findChild<QCheckBox*>(QStringLiteral("ChkFindNames"))->click();
        QCOMPARE(count(f), QStringLiteral("第 3 / 5 处"));
        press(field(f, "TxtFind"), Qt::Key_F3);
        press(field(f, "TxtFind"), Qt::Key_F3);
        QCOMPARE(count(f), QStringLiteral("第 5 / 5 处"));
        QCOMPARE(f.wnd->selectedRow(), 4);

        // Esc closes it; F3 goes on with the same text from the intro box.
        press(field(f, "TxtFind"), Qt::Key_Escape);
        QVERIFY(!bar(f)->isVisible());
        QCOMPARE(QApplication::focusWidget(), f.intro());
        press(f.intro(), Qt::Key_F3);
        QCOMPARE(f.wnd->selectedRow(), 0);
        QVERIFY(f.wnd->LabelLogMsg->text().contains(QStringLiteral("已找到最后一页")));
        // Opened again: where F3 went, counted.
        press(f.intro(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(count(f), QStringLiteral("第 1 / 5 处"));
        QCOMPARE(f.wnd->selectedRow(), 0);
        // Text selected in the intro box is the text to find.
        press(field(f, "TxtFind"), Qt::Key_Escape);
        QTextCursor c = f.intro()->textCursor();
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor);
        f.intro()->setTextCursor(c);
        press(f.intro(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(field(f, "TxtFind")->text(), QStringLiteral("夜"));
        QCOMPARE(count(f), QStringLiteral("第 1 / 1 处"));
        QCOMPARE(f.rows(), (QStringList{"1.jpg :雨夜", "2.jpg :有雨吗", "3.jpg :又是雨，雨停了", "4.jpg :晴", "雨.jpg :云"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    // What is typed into the bar goes nowhere else: no page turns with
    // Shift+arrows, no undo of the pages with Ctrl+Z; the page list's keys.
    void theBarKeepsItsKeys() {
        EditorFixture f;
        f.open(f.makeMovie("m", kImages, kRows));
        f.wnd->setSelectedRow(3);
        f.list()->setFocus();
        press(f.list(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bar(f)->isVisible());
        type("晴");
        QCOMPARE(count(f), QStringLiteral("第 1 / 1 处"));
        press(field(f, "TxtFind"), Qt::Key_Left, Qt::ShiftModifier);
        press(field(f, "TxtFind"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 3);
        QCOMPARE(field(f, "TxtFind")->text(), QString());  // the field's own undo
        QCOMPARE(f.rows(), kRows);
        QVERIFY(!f.wnd->LabelLogMsg->text().contains(QStringLiteral("撤销")));
        type("雪");
        QCOMPARE(count(f), QStringLiteral("没有找到"));
        QCOMPARE(f.wnd->selectedRow(), 3);
        VERIFY_DIALOGS(f.dialogs);
    }

    void replaceAllIsOneUndoStep() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", kImages, kRows);
        f.open(dir);
        f.wnd->setSelectedRow(2);
        press(f.intro(), Qt::Key_H, Qt::ControlModifier);
        type("雨");
        field(f, "TxtReplace")->setText(QStringLiteral("雪"));
        f.dialogs.expectYesNo(Answer::No, QStringLiteral("将把 3 处“雨”替换为“雪”，继续吗？"));
        button(f, "BtnReplaceAll")->click();
        QCOMPARE(f.rows(), kRows);
        f.dialogs.expectYesNo(Answer::Yes, QStringLiteral("将把 3 处“雨”替换为“雪”，继续吗？"));
        button(f, "BtnReplaceAll")->click();
        const QStringList replaced{"1.jpg :雪夜", "2.jpg", "3.jpg :又是雪，雪停了", "4.jpg :晴", "雨.jpg :云"};
        QCOMPARE(f.rows(), replaced);  // the image name keeps its 雨
        QCOMPARE(count(f), QStringLiteral("已替换 3 处"));
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        // The box shows the page as replaced: typing there keeps it so.
        QCOMPARE(f.intro()->text(), QStringLiteral("又是雪，雪停了"));

        press(f.intro(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.rows(), kRows);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        QCOMPARE(f.intro()->text(), QStringLiteral("又是雨，雨停了"));
        press(f.intro(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.rows(), replaced);
        f.typeIntro("！");
        QCOMPARE(f.wnd->rowText(2), QStringLiteral("3.jpg :又是雪，雪停了！"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void replaceOneAtATimeAndRefuseWhatGbkCannotHold() {
        EditorFixture f;
        f.open(f.makeMovie("m", kImages, kRows));
        f.wnd->setSelectedRow(2);
        press(f.intro(), Qt::Key_H, Qt::ControlModifier);
        type("雨");
        QCOMPARE(count(f), QStringLiteral("第 2 / 3 处"));  // names are not searched unless asked
        // Text the GBK script cannot hold is refused, with the reason.
        field(f, "TxtReplace")->setText(QStringLiteral("雪😀"));
        f.dialogs.expectMessage();
        button(f, "BtnReplaceAll")->click();
        f.dialogs.expectMessage();
        button(f, "BtnReplaceOne")->click();
        QVERIFY(f.dialogs.shown().last().text.contains(QStringLiteral("😀")));
        QCOMPARE(f.rows(), kRows);
        field(f, "TxtReplace")->setText(QString());
        field(f, "TxtReplace")->setFocus();
        type("雪");
        press(field(f, "TxtReplace"), Qt::Key_Return);  // replaces the match shown, goes to the next
        QCOMPARE(f.wnd->rowText(2), QStringLiteral("3.jpg :又是雪，雨停了"));
        QCOMPARE(count(f), QStringLiteral("第 2 / 2 处"));
        QCOMPARE(f.intro()->textCursor().selectionStart(), 4);
        button(f, "BtnReplaceOne")->click();
        QCOMPARE(f.wnd->rowText(2), QStringLiteral("3.jpg :又是雪，雪停了"));
        QCOMPARE(f.wnd->selectedRow(), 0);  // wrapped to the last one left
        QCOMPARE(count(f), QStringLiteral("第 1 / 1 处"));
        press(f.intro(), Qt::Key_Z, Qt::ControlModifier);  // one replacement a step
        QCOMPARE(f.wnd->rowText(2), QStringLiteral("3.jpg :又是雪，雨停了"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void jumpsToPagesWithoutIntroAndByNumber() {
        EditorFixture f;
        f.open(f.makeMovie("m", kImages, QStringList{"1.jpg :a", "2.jpg", "3.jpg :b", "4.jpg : ", "雨.jpg :c"}));
        f.wnd->setSelectedRow(0);
        f.list()->setFocus();
        press(f.list(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(QApplication::focusWidget(), f.intro());  // ready to write it
        press(f.intro(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 3);
        press(f.intro(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 1);  // wrapped
        f.typeIntro("写了");
        f.wnd->setSelectedRow(3);
        f.typeIntro("也写了");
        press(f.intro(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 3);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 每一页都写了解说"));

        f.dialogs.expectInput(QStringLiteral("５"), QStringLiteral("跳到第几页？（1 到 5）"));
        press(f.intro(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 4);
        f.dialogs.expectInput(QStringLiteral("6"));
        f.dialogs.expectMessage(QStringLiteral("没有第 6 页：页码从 1 到 5。"));
        press(f.intro(), Qt::Key_G, Qt::ControlModifier);
        f.dialogs.expectInput(std::nullopt);
        press(f.intro(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 4);
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestFind)
#include "test_find.moc"
