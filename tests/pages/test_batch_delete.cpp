// Batch deletion through the real window: D and the button, applying
// (images into delete_image, progress, the count), every way of closing.

#include "../editor/editor_fixture.h"
#include "editor/LoadingWnd.h"
#include "pages/WndDelPages.h"
#include "platform/aic_alpha_image.h"
#include "support/test_files.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

const QString kAsk = QStringLiteral("是否保存更改？");
const QStringList kFive{"0.jpg :零", "1.jpg :一", "2.jpg :二", "3.jpg :三", "4.jpg :四"};
const QStringList kImages{"0.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg"};
QString deleted(int n) { return QStringLiteral("保存完成！共删除图片：%1张！").arg(n); }

struct DelFixture : EditorFixture {
    QString dir;
    WndDelPages* del = nullptr;

    explicit DelFixture(const QStringList& rows, const QStringList& images) {
        open(dir = makeMovie("m", images, rows));
        reopen();
    }
    void reopen() {
        wnd->BtnDelMorePages->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<WndDelPages*>(w)) del = found;
        QApplication::setActiveWindow(del);
    }
    void removeWithButton(const QList<int>& rows) {
        del->ListSrc->clearSelection();
        for (int r : rows) del->ListSrc->item(r)->setSelected(true);
        del->BtnDelSel->click();
    }
    bool binned(const QString& name) const { return QFile::exists(dir + "/delete_image/" + name); }
};

} // namespace

class TestBatchDelete : public QObject {
    Q_OBJECT
private slots:
    void removingRows() {
        DelFixture f(kFive, kImages);
        PageListBox* list = f.del->ListSrc;
        QVERIFY(!f.wnd->isEnabled() && list->item(0)->isSelected());
        // D with nothing selected does nothing; other keys reach the list
        list->clearSelection();
        QTest::keyClick(list, Qt::Key_D);
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(f.del->rows() == kFive && !f.del->changed());
        QCOMPARE(f.del->IntroShow->toPlainText(), QStringLiteral("四"));
        // rows 1 and 3 as the user picks them; D works with Shift held
        const auto at = [list](int row) { return list->visualItemRect(list->item(row)).center(); };
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, at(3));
        QTest::keyClick(list, Qt::Key_D, Qt::ShiftModifier);
        QCOMPARE(f.del->rows(), (QStringList{kFive[0], kFive[2], kFive[4]}));
        QVERIFY(f.del->changed() && f.rows() == kFive);  // the movie waits for applying
        QVERIFY(!list->selectionModel()->hasSelection());  // a second D removes nothing more
        f.dialogs.expectYesNoCancel(Answer::No, kAsk);
        f.del->close();
        f.reopen();  // the flag starts cleared: no question
        f.del->close();
        VERIFY_DIALOGS(f.dialogs);
    }

    void applying() {
        DelFixture f({"a.jpg :1", "b.jpg :2", "a.jpg :3", "c.jpg :4", "c.jpg :5", "d.jpg"},
                     {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        QStringList progress;
        connect(f.del, &WndDelPages::rowExamined, this,
                [&] { progress.append(f.wnd->loadingWnd()->LabelNumber->text()); });
        f.removeWithButton({0, 3, 4, 5});
        f.dialogs.expectMessage(deleted(2));  // images moved: c once for its two rows
        f.del->BtnOk->click();
        QCOMPARE(progress, (QStringList{"0%", "16%", "33%", "50%", "66%", "83%"}));
        QCOMPARE(f.wnd->loadingWnd()->LabelTitle->text() + f.wnd->loadingWnd()->TextLoadMsg->text(),
                 QStringLiteral("删除中...保存删除结果中，总计：2张"));
        QCOMPARE(f.rows(), (QStringList{"b.jpg :2", "a.jpg :3"}));
        QVERIFY(!f.binned("a.jpg") && !f.binned("b.jpg") && f.binned("c.jpg") && f.binned("d.jpg"));
        QVERIFY(f.wnd->editedThisMovie && f.wnd->windowTitle() == kBase && f.wnd->selectedRow() == -1);
        QVERIFY(!f.del->isVisible() && f.wnd->isEnabled() && !f.wnd->loadingWnd()->isVisible());
        // without a removal: the same rows, none deleted; the window takes
        // input again after the last apply
        f.reopen();
        QVERIFY(f.del->isEnabled());
        f.dialogs.expectMessage(deleted(0));
        f.del->BtnOk->click();
        QCOMPARE(f.rows(), (QStringList{"b.jpg :2", "a.jpg :3"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    // Images the file system keeps where they are are counted out and named
    // with the reason; the pages go all the same. A movie folder that can't
    // change refuses before anything does.
    void imagesThatCannotMoveAreNamed() {
        DelFixture f({"a.jpg :1", "b.jpg :2", "c.jpg :3", "x.jpg :4"}, {"a.jpg", "b.jpg", "c.jpg"});
        {
            ReadOnlyFolder readOnly(f.dir);
            if (!readOnly.ok()) QSKIP(qPrintable(readOnly.why()));
            f.removeWithButton({1});
            f.dialogs.expectMessage(QStringLiteral("影片文件夹不能写入（没有权限），批量删除没有进行，什么也没有改动。"));
            f.del->BtnOk->click();
            QVERIFY(f.del->isVisible() && f.del->isEnabled() && f.del->changed());
            QCOMPARE(f.rows().size(), 4);
            VERIFY_DIALOGS(f.dialogs);
            f.del->LoadRows(f.rows());
        }
        QVERIFY(QDir(f.dir).mkdir("delete_image"));
        ReadOnlyFolder readOnly(f.dir + "/delete_image");
        f.removeWithButton({1, 2, 3});
        f.dialogs.expectMessage(deleted(0) + QStringLiteral("\n\n有 3 张图片没能移到 delete_image 文件夹：\n"
                                                            "b.jpg：没有权限\nc.jpg：没有权限\nx.jpg：图片文件不存在"));
        f.del->BtnOk->click();
        QCOMPARE(f.dialogs.shown().last().icon, MsgIcon::Exclamation);
        QCOMPARE(f.rows(), (QStringList{"a.jpg :1"}));
        QVERIFY(QFile::exists(f.dir + "/b.jpg") && QFile::exists(f.dir + "/c.jpg"));
        // one page: the same, in a box of its own
        f.wnd->setSelectedRow(0);
        f.dialogs.expectMessage(QStringLiteral("图片 a.jpg 没能移到 delete_image 文件夹，还在原处：没有权限"));
        f.wnd->BtnDelPage->click();
        QVERIFY(f.rows().isEmpty() && QFile::exists(f.dir + "/a.jpg"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void missingPictureSaysWhy() {
        DelFixture f({"a.jpg :1", "x.jpg :2"}, {"a.jpg"});
        f.del->ListSrc->selectRow(1);
        const auto* note = f.del->ImgShow->findChild<QLabel*>("pictureNote");
        QVERIFY(note && note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("图片无法显示：文件不存在"));
        f.del->ListSrc->selectRow(0);
        QTRY_VERIFY(!note->isVisible());
    }

    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("remove");
        QTest::addColumn<int>("answer");
        QTest::newRow("button, Yes") << "button" << QList<int>{0} << int(Answer::Yes);
        QTest::newRow("close box, No") << "close" << QList<int>{0} << int(Answer::No);
        // the button with nothing selected changes no row, yet closing asks
        QTest::newRow("none, close box, No") << "close" << QList<int>{} << int(Answer::No);
        QTest::newRow("Escape, Cancel") << "escape" << QList<int>{0} << int(Answer::Cancel);
        QTest::newRow("all, Escape, Yes") << "escape" << QList<int>{0, 1, 2, 3, 4} << int(Answer::Yes);
    }
    void closing() {
        QFETCH(QString, how);
        QFETCH(QList<int>, remove);
        QFETCH(int, answer);
        DelFixture f(kFive, kImages);
        f.removeWithButton(remove);
        f.dialogs.expectYesNoCancel(Answer(answer), kAsk);
        const bool yes = answer == int(Answer::Yes), stays = answer == int(Answer::Cancel);
        if (yes) f.dialogs.expectMessage(deleted(int(remove.size())));
        if (how == "button") f.del->BtnCancel->click();
        else if (how == "close") f.del->close();
        else QTest::keyClick(f.del->ListSrc, Qt::Key_Escape);
        QCOMPARE(f.del->isVisible(), stays);
        QCOMPARE(f.wnd->isEnabled(), !stays);
        QCOMPARE(f.rows(), yes ? f.del->rows() : kFive);
        for (int r : remove) QCOMPARE(f.binned(QString::number(r) + ".jpg"), yes);
        if (stays) QCOMPARE(f.del->rows(), kFive.mid(1));
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestBatchDelete)
#include "test_batch_delete.moc"
