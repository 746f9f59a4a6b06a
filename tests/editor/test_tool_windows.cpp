// Tool windows as the window system sees them: they stay with their owner,
// come up when shown or when their waiting owner is clicked, and are closed
// with the questions they ask before the main window goes.

#include "editor/editor_fixture.h"
#include "editor/PageListBox.h"
#include "pages/ExImgWnd.h"
#include "pages/WndDelPages.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"
#include "support/test_files.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {
template <typename T>
T* openTool() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return t;
    return nullptr;
}

void clickOn(QWidget* window) {
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window->windowHandle(), &press);
}
} // namespace

class TestToolWindows : public QObject {
    Q_OBJECT
private slots:
    // Closing the main window closes the tool that keeps it waiting first,
    // with that tool's own question; Cancel there keeps everything open.
    void closingTheMainWindowClosesItsToolFirst() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :1", "b.jpg :2"});
        f.open(dir);
        f.wnd->BtnDelMorePages->click();
        auto* del = openTool<WndDelPages>();
        QVERIFY(del && !f.wnd->isEnabled());
        del->ListSrc->clearSelection();
        del->ListSrc->item(1)->setSelected(true);
        del->BtnDelSel->click();

        f.dialogs.expectYesNoCancel(Answer::Cancel, QStringLiteral("是否保存更改？"));
        QVERIFY(!f.wnd->close());
        QVERIFY(del->isVisible() && f.wnd->isVisible() && !f.wnd->isEnabled());
        VERIFY_DIALOGS(f.dialogs);

        f.dialogs.expectYesNoCancel(Answer::Yes, QStringLiteral("是否保存更改？"))
            .expectMessage(QStringLiteral("保存完成！共删除图片：1张！"))
            .expectYesNoCancel(Answer::Yes, kQuestion)
            .expectMessage(QStringLiteral("图解脚本保存成功！"));
        QVERIFY(f.wnd->close());
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(!del->isVisible());
        // the script and the folder agree: the moved image is named no more
        QCOMPARE(readBytes(dir + "/ReelsketchScript.txt"), gbkBytes("a.jpg :1\r\n"));
        QVERIFY(QFile::exists(dir + "/delete_image/b.jpg"));
    }

    // A tool stays with its owner, and a click on the owner it keeps
    // disabled brings it back, minimised or hidden behind others.
    void aToolStaysWithItsOwner() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :1"}));
        f.wnd->setSelectedRow(0);
        f.wnd->BtnChangePage->click();
        auto* picker = openTool<ExImgWnd>();
        QVERIFY(picker);
        QCOMPARE(picker->windowHandle()->transientParent(), f.wnd->windowHandle());
        picker->showMinimized();
        QApplication::setActiveWindow(f.wnd.get());
        clickOn(f.wnd.get());
        QVERIFY(!picker->isMinimized());
        QTRY_COMPARE(QApplication::activeWindow(), picker);
        picker->close();
        // with the owner enabled again, its clicks are its own
        QApplication::setActiveWindow(f.wnd.get());
        clickOn(f.wnd.get());
        QCOMPARE(QApplication::activeWindow(), f.wnd.get());
    }

    // Enter in the image list and a double-click on an image choose it.
    void thePickerChoosesWithEnterAndDoubleClick() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :1"}));
        f.wnd->setSelectedRow(0);
        f.wnd->BtnChangePage->click();
        auto* picker = openTool<ExImgWnd>();
        QApplication::setActiveWindow(picker);
        picker->ExImgList->setFocus();
        picker->ExImgList->selectRow(1);
        QTest::keyClick(picker->ExImgList, Qt::Key_Return);
        QVERIFY(!picker->isVisible());
        QCOMPARE(f.rows().first(), QStringLiteral("b.jpg :1"));

        f.wnd->BtnChangePage->click();
        QListWidget* list = picker->ExImgList;
        const QPoint first = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
        QVERIFY(!picker->isVisible() && f.wnd->isEnabled());
        QCOMPARE(f.rows().first(), QStringLiteral("a.jpg :1"));
        // Enter from a button is no choice
        f.wnd->BtnChangePage->click();
        QApplication::setActiveWindow(picker);
        picker->ExBtnCancle->setFocus();
        QTest::keyClick(picker->ExBtnCancle, Qt::Key_Return);
        QVERIFY(picker->isVisible());
        picker->close();
    }

    // A run's result comes up above the selection window that made it.
    void theResultComesUpInFront() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :1", "b.jpg :2"}));
        SmartCutWnd selection(f.wnd.get());
        selection.showCentred();
        SmartCutResultWnd* result = selection.resultWnd();
        result->showResult(f.rows());
        QTRY_COMPARE(QApplication::activeWindow(), result);
        QCOMPARE(result->windowHandle()->transientParent(), selection.windowHandle());
        // shown again by a later run while still open
        QApplication::setActiveWindow(&selection);
        result->showResult(f.rows());
        QTRY_COMPARE(QApplication::activeWindow(), result);
        selection.close();
        QVERIFY(!result->isVisible() && f.wnd->isEnabled());
    }
};

QTEST_MAIN(TestToolWindows)
#include "test_tool_windows.moc"
