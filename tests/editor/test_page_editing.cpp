// Showing pages, typing intros, stepping with buttons and keys, saving.

#include "editor/IntroTextBox.h"
#include "editor_fixture.h"
#include "model/script_file.h"
#include "platform/aic_alpha_image.h"
#include "platform/dir_list_box.h"
#include "platform/image_exif_writer.h"
#include "platform/preview_cache.h"
#include "support/image_samples.h"
#include "support/test_files.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QListWidget>
#include <QPushButton>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolTip>
#include <QtTest>


using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {
const QString kNoNext = QStringLiteral("没有下一页了");
const QString kNoPrev = QStringLiteral("没有上一页了");
} // namespace

class TestPageEditing : public QObject {
    Q_OBJECT
private slots:
    void showingPagesMarksOnlyNonEmptyChanges() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg", "2.jpg", "3.jpg"},
                           QStringList{"1.jpg :一", "2.jpg", "3.jpg :三"}));
        QVERIFY(!f.wnd->editedThisMovie);
        // a page without intro after one with text: row rewritten, no mark
        f.wnd->setSelectedRow(1);
        QCOMPARE(f.rows()[1], QString("2.jpg :"));
        QCOMPARE(f.intro()->toPlainText(), QString());
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        // a page whose intro differs from the box counts as a change
        f.wnd->setSelectedRow(2);
        QVERIFY(f.wnd->editedThisMovie);
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        QCOMPARE(f.rows()[2], QStringLiteral("3.jpg :三"));
        // the marker is added once
        f.wnd->setSelectedRow(0);
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        VERIFY_DIALOGS(f.dialogs);
    }

    void userClickOnARowShowsIt() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg", "2.jpg"}, QStringList{"1.jpg :一", "2.jpg :二"});
        f.open(dir);
        PageRowsView* list = f.list();
        const QRect r = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("二"));
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/2.jpg");
        VERIFY_DIALOGS(f.dialogs);
    }

    void editingTheIntro() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :ab"}));
        f.typeIntro(QStringLiteral("好"));
        QCOMPARE(f.rows()[0], QStringLiteral("1.jpg :ab好"));
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        VERIFY_DIALOGS(f.dialogs);
    }

    void emptyingTheBoxDoesNotMark() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :ab"}));
        f.intro()->setFocus();
        f.intro()->selectAll();
        QTest::keyClick(f.intro(), Qt::Key_Delete);
        QCOMPARE(f.rows()[0], QString("1.jpg :"));
        QVERIFY(!f.wnd->editedThisMovie);
        VERIFY_DIALOGS(f.dialogs);
    }

    void lineBreaksBecomeSpaces() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg"}));
        f.intro()->setFocus();
        auto* mime = new QMimeData;
        mime->setText(QStringLiteral("x\r\ny"));
        QApplication::clipboard()->setMimeData(mime);
        f.intro()->paste();
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("x  y"));
        QCOMPARE(f.rows()[0], QStringLiteral("1.jpg :x  y"));
        // Enter is CR LF: two spaces
        QTest::keyClick(f.intro(), Qt::Key_Return);
        QCOMPARE(f.rows()[0], QStringLiteral("1.jpg :x  y  "));
        QVERIFY(!f.intro()->toPlainText().contains(u'\n'));
        // typing goes on where the caret was
        f.intro()->moveCursor(QTextCursor::Start);
        QTest::keyClick(f.intro(), Qt::Key_Right);
        QTest::keyClick(f.intro(), Qt::Key_Return);
        QTest::keyClicks(f.intro(), "z");
        QCOMPARE(f.rows()[0], QStringLiteral("1.jpg :x  z  y  "));
        VERIFY_DIALOGS(f.dialogs);
    }

    void typingWithNoRowChangesNoRow() {
        EditorFixture f;
        f.typeIntro("x");
        QVERIFY(f.wnd->editedThisMovie);
        QCOMPARE(f.list()->count(), 0);
        // and a save with no folder is refused, not written to some root
        f.dialogs.expectMessage();
        f.wnd->BtnSave->click();
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.wnd->editedThisMovie);
    }

    void stepping() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg", "2.jpg", "3.jpg"}));
        f.wnd->BtnNextPage->click();
        QCOMPARE(f.wnd->selectedRow(), 1);
        f.wnd->BtnNextPage->click();
        f.dialogs.expectMessage(kNoNext);
        f.wnd->BtnNextPage->click();
        QCOMPARE(f.wnd->selectedRow(), 2);
        f.wnd->BtnPrePage->click();
        f.wnd->BtnPrePage->click();
        f.dialogs.expectMessage(kNoPrev);
        f.wnd->BtnPrePage->click();
        QCOMPARE(f.wnd->selectedRow(), 0);
        // with no row selected, next selects the first and previous refuses
        f.wnd->setSelectedRow(-1);
        f.dialogs.expectMessage(kNoPrev);
        f.wnd->BtnPrePage->click();
        f.wnd->BtnNextPage->click();
        QCOMPARE(f.wnd->selectedRow(), 0);
        VERIFY_DIALOGS(f.dialogs);
    }

    void shiftArrows() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg", "2.jpg"}, QStringList{"1.jpg :abc", "2.jpg :def"}));
        // a button passes arrows on as focus moves, so send to whoever has focus
        auto press = [](Qt::Key key, Qt::KeyboardModifiers mods) {
            QTest::keyClick(QApplication::focusWidget(), key, mods);
        };
        f.wnd->BtnSave->setFocus();
        f.dialogs.expectMessage(kNoPrev);
        press(Qt::Key_Left, Qt::ShiftModifier);
        press(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(f.wnd->selectedRow(), 1);
        f.dialogs.expectMessage(kNoNext);
        press(Qt::Key_Right, Qt::ShiftModifier);
        VERIFY_DIALOGS(f.dialogs);

        // plain arrows, or Shift with Ctrl, do nothing in the window
        press(Qt::Key_Left, Qt::NoModifier);
        press(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(f.wnd->selectedRow(), 1);

        // in the intro box the page changes and the key selects nothing in
        // the new page's intro; without a page change the box gets the key
        f.intro()->setFocus();
        f.intro()->moveCursor(QTextCursor::End);
        QTest::keyClick(f.intro(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(f.wnd->selectedRow(), 0);
        QVERIFY(!f.intro()->textCursor().hasSelection());
        f.typeIntro("x");
        QCOMPARE(f.rows()[0], QStringLiteral("1.jpg :abcx"));
        f.dialogs.expectMessage(kNoPrev);
        QTest::keyClick(f.intro(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(f.intro()->textCursor().hasSelection());

        // the lists keep their own keys, even when their value matches nothing
        for (QWidget* w : {static_cast<QWidget*>(f.list()), static_cast<QWidget*>(f.wnd->FilePathList)}) {
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Right, Qt::ShiftModifier);
            QCOMPARE(f.wnd->selectedRow(), 0);
        }
        VERIFY_DIALOGS(f.dialogs);
    }

    void theFirstTextEndsInCrLf() {
        EditorFixture f;
        // typed at its end, a character follows the two spaces of CR LF
        f.typeIntro("x");
        QCOMPARE(f.intro()->text(), QStringLiteral("吐槽些什么吧~  x"));
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("吐槽些什么吧~  x"));
    }

    void emptyingTheListShowsNoPage() {
        EditorFixture f;
        // pages whose images are missing: any page display would show a box
        f.dialogs.expectMessage(QStringLiteral("图片文件未找到，加载失败 >_<"));
        f.open(f.makeMovie("m", {}, QStringList{"a.jpg :一", "b.jpg :二", "c.jpg :三", "d.jpg"}));
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->selectedRow(), 0);
        // however the rows go, Qt moves the selection, and that is no click
        f.wnd->removeRow(0);
        f.list()->removeRow(0);
        f.list()->model()->removeRows(0, 1);
        QCOMPARE(f.rows(), QStringList{"d.jpg"});
        f.list()->clear();
        QCOMPARE(f.wnd->selectedRow(), -1);
        VERIFY_DIALOGS(f.dialogs);
        // a row chosen by the program still shows its page
        f.wnd->appendRows({"e.jpg :五"});
        f.dialogs.expectMessage(QStringLiteral("图片文件未找到，加载失败 >_<"));
        f.list()->setCurrentRow(0);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.intro()->text(), QStringLiteral("五"));
    }

    void keyboardFlow() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg", "2.jpg", "3.jpg"}, QStringList{"1.jpg :一"});
        QCOMPARE(f.wnd->Label3->text(), QString());
        f.open(dir);
        // ready for Shift+arrows and typing at once
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.intro()));
        QCOMPARE(f.wnd->Label3->text(), QStringLiteral("第 1 / 3 页"));
        // a click on a button leaves the focus where it was
        QTest::mouseClick(f.wnd->BtnNextPage, Qt::LeftButton);
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.intro()));
        QTest::keyClick(f.intro(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(f.wnd->selectedRow(), 2);
        QCOMPARE(f.wnd->Label3->text(), QStringLiteral("第 3 / 3 页"));
        // Ctrl+S saves as the button does
        f.typeIntro(QStringLiteral("三"));
        f.dialogs.expectMessage(QStringLiteral("保存脚本成功！"));
        QTest::keyClick(f.intro(), Qt::Key_S, Qt::ControlModifier);
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(test::readBytes(dir + "/ReelsketchScript.txt"),
                 test::gbkBytes("1.jpg :一\r\n2.jpg :\r\n3.jpg :三\r\n"));
        f.list()->clear();
        QCOMPARE(f.wnd->Label3->text(), QString());
    }

    void aCutOffRowShowsItsTextOnHover() {
        EditorFixture f;
        const QString longIntro(60, QChar(u'长'));
        f.open(f.makeMovie("m", {"1.jpg", "2.jpg"}, QStringList{"1.jpg :" + longIntro, "2.jpg :短"}));
        auto hover = [&](int row) {
            const QPoint at = f.list()->visualRect(f.list()->model()->index(row, 0)).center();
            QHelpEvent help(QEvent::ToolTip, at, f.list()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(f.list()->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(hover(1), QString());
        QCOMPARE(hover(0), "1.jpg :" + longIntro);
    }

    void missingAndBrokenImages() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :一", "gone.jpg :二", "bad.jpg :三", " :空"});
        test::writeBytes(dir, "bad.jpg", "this is no image");
        f.open(dir);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        // missing: message, old picture stays, box enabled with this intro
        f.dialogs.expectMessage(QStringLiteral("图片文件未找到，加载失败 >_<"));
        f.wnd->setSelectedRow(1);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        QVERIFY(f.intro()->isEnabled());
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("二"));
        // undecodable: message, box disabled and keeping its text
        f.dialogs.expectMessage(QStringLiteral("无效的图片地址"));
        f.wnd->setSelectedRow(2);
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(!f.intro()->isEnabled());
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("二"));
        // the status line names the file and why
        QVERIFY(f.wnd->LabelLogMsg->text().contains(QDir::toNativeSeparators(dir + "/bad.jpg")));
        QVERIFY(f.wnd->LabelLogMsg->text().contains(QStringLiteral("图片")));
        // an empty image name counts as missing
        f.dialogs.expectMessage(QStringLiteral("图片文件未找到，加载失败 >_<"));
        f.wnd->setSelectedRow(3);
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.intro()->isEnabled());
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("空"));
    }

    void picturesFoundBadOnlyByTheirDecode() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :一", "cut.png :二", "cut.jpg :三"});
        // the header reads well, the pixels don't: found out in the background
        const QByteArray png = test::encoded(QImage(64, 64, QImage::Format_RGB32), "png");
        test::writeBytes(dir, "cut.png", png.left(png.size() - 40));
        const QString jpeg = test::writeNoisyJpeg(dir, "full.jpg", {64, 48});
        const QByteArray full = test::readBytes(jpeg);
        test::writeBytes(dir, "cut.jpg", full.left(full.size() * 2 / 3));
        f.open(dir);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        f.dialogs.expectMessage(QStringLiteral("无效的图片地址"));
        f.wnd->setSelectedRow(1);
        QTRY_VERIFY(!f.intro()->isEnabled());
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        // as when the header tells at once: the box keeps the text it had,
        // and showing the page counts as no change
        QCOMPARE(f.intro()->text(), QStringLiteral("一"));
        QCOMPARE(f.rows()[1], QStringLiteral("cut.png :二"));
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        QVERIFY(f.wnd->LabelLogMsg->text().contains(QStringLiteral("图片数据已损坏")));
        // a picture cut short shows what it has, and the status line says so
        f.wnd->setSelectedRow(2);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/cut.jpg");
        QVERIFY(f.intro()->isEnabled());
        QVERIFY(f.wnd->LabelLogMsg->text().contains(QStringLiteral("图片不完整")));
        // a decode that failed because its file was moved away meanwhile
        // (publishing renames while the progress repaints) is no bad picture
        emit f.wnd->PicMovieImg->imageFailed(dir + "/renamed.jpg", QStringLiteral("找不到文件"));
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.intro()->isEnabled());
    }

    // The thumbnail a page shows while its picture decodes is no picture
    // shown: a decode that fails is reported as for a page without one.
    void aQuickPreviewIsNoShownPicture() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :一", "thumb.jpg :二"});
        const QByteArray noisy = test::readBytes(test::writeNoisyJpeg(dir, "noise.jpg"));
        QImage thumb(160, 120, QImage::Format_RGB32);
        thumb.fill(Qt::green);
        // Its thumbnail is fine; a second start-of-image in the scan breaks the picture.
        test::writeBytes(dir, "thumb.jpg",
                         withExifThumbnail(noisy.left(noisy.size() / 2) + "\xFF\xD8" + noisy.mid(noisy.size() / 2), thumb));
        f.open(dir);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        f.dialogs.expectMessage(QStringLiteral("无效的图片地址"));
        f.wnd->setSelectedRow(1);
        QCOMPARE(f.wnd->PicMovieImg->quickPreviewPath(), dir + "/thumb.jpg");
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        QTRY_VERIFY(!f.intro()->isEnabled());
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.wnd->PicMovieImg->quickPreviewPath().isEmpty());
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/1.jpg");
        QCOMPARE(f.intro()->text(), QStringLiteral("一"));
        QVERIFY(!f.wnd->editedThisMovie);
        QVERIFY(f.wnd->LabelLogMsg->text().contains(QStringLiteral("图片数据已损坏")));
    }

    void aLaterPageWinsOverAPictureStillDecoding() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {}, QStringList{"a.jpg :一", "b.jpg :二", "gone.jpg :三"});
        test::writeNoisyJpeg(dir, "a.jpg");
        test::writeNoisyJpeg(dir, "b.jpg");
        f.open(dir);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/a.jpg");
        // b is still decoding when the page of a missing picture comes
        f.wnd->PicMovieImg->waitForBackgroundWork();
        PreviewCache::shared()->clear();
        f.wnd->setSelectedRow(1);
        QCOMPARE(f.intro()->text(), QStringLiteral("二"));
        f.dialogs.expectMessage(QStringLiteral("图片文件未找到，加载失败 >_<"));
        f.wnd->setSelectedRow(2);
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.wnd->PicMovieImg->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/a.jpg");
        QCOMPARE(f.intro()->text(), QStringLiteral("三"));
    }

    void saving() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg", "2.jpg"}, QStringList{"1.jpg :一"});
        f.open(dir);
        f.typeIntro("x");
        f.dialogs.expectMessage(QStringLiteral("保存脚本成功！"));
        f.wnd->BtnSave->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(test::readBytes(dir + "/ReelsketchScript.txt"), test::gbkBytes("1.jpg :一x\r\n2.jpg\r\n"));
        // showing the next page rewrites its row; a later save writes it
        f.wnd->setSelectedRow(1);
        QCOMPARE(f.rows()[1], QString("2.jpg :"));
        f.wnd->setSelectedRow(0);
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
    }

    void charactersGbkCannotHold() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :一"});
        f.open(dir);
        f.intro()->setFocus();
        f.intro()->moveCursor(QTextCursor::End);
        f.intro()->insertPlainText(QStringLiteral("😀"));
        f.dialogs.expectYesNo(Answer::No);
        f.wnd->BtnSave->click();
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.dialogs.shown().last().text.contains(QStringLiteral("😀")));
        QVERIFY(f.wnd->editedThisMovie);
        QCOMPARE(test::readBytes(dir + "/ReelsketchScript.txt"), test::gbkBytes("1.jpg :一\r\n"));
        f.dialogs.expectYesNo(Answer::Yes).expectMessage(QStringLiteral("保存脚本成功！"));
        f.wnd->BtnSave->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(test::readBytes(dir + "/ReelsketchScript.txt"), test::gbkBytes("1.jpg :一?\r\n"));
    }

#ifdef Q_OS_LINUX
    void failedSaveKeepsFileAndState() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :一"});
        f.open(dir);
        f.intro()->setFocus();
        f.intro()->insertPlainText(QString(5000, QChar(u'长')));
        f.dialogs.expectMessage();
        {
            const test::FileSizeLimit limit(1024);
            f.wnd->BtnSave->click();
        }
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.dialogs.shown().last().text.contains(QStringLiteral("保存脚本失败")));
        QCOMPARE(test::readBytes(dir + "/ReelsketchScript.txt"), test::gbkBytes("1.jpg :一\r\n"));
        QVERIFY(f.wnd->editedThisMovie);
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        QCOMPARE(f.rows()[0].size(), 5008);
    }
#endif
};

QTEST_MAIN(TestPageEditing)
#include "test_page_editing.moc"
