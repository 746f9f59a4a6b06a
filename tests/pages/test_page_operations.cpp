// Inserting, deleting, replacing and moving pages in the main window, the
// replace picker, and the deleted-images folder.

#include "editor/IntroTextBox.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "editor/editor_fixture.h"
#include "pages/ExImgWnd.h"
#include "pages/page_rows.h"
#include "platform/aic_alpha_image.h"
#include "platform/date_text.h"
#include "support/test_files.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {
const QString kNoUp = QStringLiteral("压根儿木有上一行啊 -_-!!");
const QString kNoDown = QStringLiteral("压根儿木有下一行啊 -_-!!");
const QString kNotFound = QStringLiteral("图片文件未找到，加载失败 >_<");

// The picker is a window of its own, not a child of the main window.
ExImgWnd* picker(EditorFixture&) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ExImgWnd*>(w)) return p;
    return nullptr;
}
} // namespace

class TestPageOperations : public QObject {
    Q_OBJECT
private slots:
    void rowEdits_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("select");
        QTest::addColumn<QString>("text");
        QTest::newRow("insert in the middle") << "insert" << 0 << int(pages::RowEdit::Insert) << 1 << 1 << "a.jpg";
        QTest::newRow("insert after the last") << "insert" << 2 << int(pages::RowEdit::Insert) << 3 << 3 << "a.jpg";
        QTest::newRow("insert with none selected") << "insert" << -1 << int(pages::RowEdit::None) << -1 << -1 << "";
        QTest::newRow("delete keeps the shared image") << "delete" << 0 << int(pages::RowEdit::Remove) << 0 << 0 << "";
        QTest::newRow("delete the last image row") << "delete" << 1 << int(pages::RowEdit::Remove) << 1 << 1 << "b.jpg";
        QTest::newRow("delete the last row") << "delete" << 2 << int(pages::RowEdit::Remove) << 2 << 1 << "";
        QTest::newRow("up from the first") << "up" << 0 << int(pages::RowEdit::None) << -1 << -1 << "";
        QTest::newRow("up") << "up" << 1 << int(pages::RowEdit::Swap) << 0 << 0 << "";
        QTest::newRow("down from the last") << "down" << 2 << int(pages::RowEdit::None) << -1 << -1 << "";
        QTest::newRow("down") << "down" << 1 << int(pages::RowEdit::Swap) << 1 << 2 << "";
    }
    void rowEdits() {
        QFETCH(QString, op);
        QFETCH(int, selected);
        QFETCH(int, kind);
        QFETCH(int, row);
        QFETCH(int, select);
        QFETCH(QString, text);
        const QStringList rows = {"a.jpg :x", "b.jpg :y", "a.jpg"};
        pages::RowEdit e;
        if (op == "insert") e = pages::insertAfter(rows, selected);
        if (op == "delete") e = pages::deletePage(rows, selected);
        if (op == "up") e = pages::moveUp(selected, int(rows.size()));
        if (op == "down") e = pages::moveDown(selected, int(rows.size()));
        QCOMPARE(int(e.kind), kind);
        QCOMPARE(e.row, row);
        QCOMPARE(e.select, select);
        QCOMPARE(op == "delete" ? e.deleteImage : e.text, text);
    }

    void insertDeleteAndMoveInTheWindow() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :x", "b.jpg :y"});
        f.open(dir);
        f.wnd->BtnInsertPage->click();
        // showing the new page gave it the separator
        QCOMPARE(f.rows(), QStringList({"a.jpg :x", "a.jpg :", "b.jpg :y"}));
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        // the shared image stays
        f.wnd->BtnDelPage->click();
        QCOMPARE(f.rows(), QStringList({"a.jpg :x", "b.jpg :y"}));
        QCOMPARE(f.wnd->selectedRow(), 1);
        QVERIFY(QFile::exists(dir + "/a.jpg"));
        // a move carries the whole row and the selection follows it
        f.wnd->BtnUpImg->click();
        QCOMPARE(f.rows(), QStringList({"b.jpg :y", "a.jpg :x"}));
        QCOMPARE(f.wnd->selectedRow(), 0);
        f.dialogs.expectMessage(kNoUp);
        f.wnd->BtnUpImg->click();
        f.wnd->BtnDownImg->click();
        f.dialogs.expectMessage(kNoDown);
        f.wnd->BtnDownImg->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x", "b.jpg :y"}));
        // the last row naming an image moves it out; the new last row is selected
        f.wnd->BtnDelPage->click();
        QCOMPARE(f.rows(), QStringList({"a.jpg :x"}));
        QCOMPARE(f.wnd->selectedRow(), 0);
        QVERIFY(!QFile::exists(dir + "/b.jpg"));
        QVERIFY(QFile::exists(dir + "/delete_image/b.jpg"));
        f.wnd->BtnDelPage->click();
        QCOMPARE(f.list()->count(), 0);
        QCOMPARE(f.wnd->selectedRow(), -1);
        QVERIFY(QFile::exists(dir + "/delete_image/a.jpg"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void nothingSelectedDoesNothing() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :x", "b.jpg :y"}));
        f.wnd->setSelectedRow(-1);
        f.wnd->editedThisMovie = false;
        for (QPushButton* b : {f.wnd->BtnInsertPage, f.wnd->BtnDelPage, f.wnd->BtnChangePage, f.wnd->BtnDownImg})
            b->click();
        QCOMPARE(f.rows(), QStringList({"a.jpg :x", "b.jpg :y"}));
        QVERIFY(!f.wnd->editedThisMovie);
        QVERIFY(f.wnd->isEnabled());
        VERIFY_DIALOGS(f.dialogs);
    }

    void deletedImagesNeverReplaceOneAnother() {
        EditorFixture f;
        setClock([] { return QDate(2026, 12, 8); });
        const QString dir = f.makeMovie("m", {"a.jpg"}, QStringList{"a.jpg", "a.jpg", "a.jpg"});
        writeBytes(dir + "/delete_image", "a.jpg", "deleted before");
        f.open(dir);
        // each time the image comes back and its last row goes
        for (const QByteArray& kept : {QByteArray("deleted before"), QByteArray()}) {
            f.wnd->setSelectedRow(0);
            writeImage(dir, "a.jpg");
            f.wnd->DeleteOneImage("a.jpg");
            QCOMPARE(readBytes(dir + "/delete_image/a.jpg"), QByteArray("deleted before"));
            QVERIFY(QFile::exists(dir + "/delete_image/2026-12-08_a.jpg"));
            // the second time the dated name is taken too: the image stays
            QCOMPARE(QFile::exists(dir + "/a.jpg"), kept.isEmpty());
        }
        // a name that leads out of the folder moves nothing
        writeBytes(f.root.path(), "outside.jpg", "x");
        f.wnd->DeleteOneImage("../outside.jpg");
        QVERIFY(QFile::exists(f.root.path() + "/outside.jpg"));
        setClock({});
    }

    void replacingAPageImage() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "IMG.JPG", "a.b.jpg"}, QStringList{"a.jpg :旧"});
        writeBytes(dir, "noext", "x");
        f.open(dir);
        f.wnd->BtnChangePage->click();
        ExImgWnd* p = picker(f);
        QVERIFY(p && p->isVisible());
        QVERIFY(!f.wnd->isEnabled());
        QCOMPARE(p->windowTitle(), QStringLiteral("选择替换图片"));
        QStringList offered;
        for (int i = 0; i < p->ExImgList->count(); ++i) offered << p->ExImgList->item(i)->text();
        QCOMPARE(offered, QStringList({"a.jpg", "IMG.JPG"}));
        p->ExImgList->selectRow(1);
        QTRY_COMPARE(p->ExImgView->currentPath(), dir + "/IMG.JPG");
        p->ExBtnOk->click();
        QVERIFY(!p->isVisible());
        QVERIFY(f.wnd->isEnabled());
        QCOMPARE(f.rows(), QStringList({"IMG.JPG :旧", "IMG.JPG"}));
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        // typing keeps the new image in the row; the old file is untouched
        f.typeIntro(QStringLiteral("新"));
        QCOMPARE(f.rows()[0], QStringLiteral("IMG.JPG :旧新"));
        QVERIFY(QFile::exists(dir + "/a.jpg"));
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/IMG.JPG");

        // a page whose picture can't be shown gets one that can: writable again
        writeBytes(dir, "bad.jpg", "no picture");
        f.dialogs.expectMessage(QStringLiteral("无效的图片地址"));
        f.wnd->ExNowImageWithImageNamed("bad.jpg");
        QVERIFY(!f.intro()->isEnabled());
        f.wnd->ExNowImageWithImageNamed("IMG.JPG");
        QVERIFY(f.intro()->isEnabled());
        VERIFY_DIALOGS(f.dialogs);
        // cancel, the close box and Escape change nothing and give the window back
        for (int way = 0; way < 3; ++way) {
            f.wnd->BtnChangePage->click();
            QVERIFY(!f.wnd->isEnabled());
            if (way == 0) p->ExBtnCancle->click();
            if (way == 1) p->close();
            if (way == 2) QTest::keyClick(p, Qt::Key_Escape);
            QVERIFY(!p->isVisible());
            QVERIFY(f.wnd->isEnabled());
        }
        QCOMPARE(f.rows()[0], QStringLiteral("IMG.JPG :旧新"));
        // OK with nothing to choose: the row takes the empty name, and says so
        QFile::remove(dir + "/a.jpg");
        QFile::remove(dir + "/IMG.JPG");
        QFile::remove(dir + "/bad.jpg");
        f.wnd->BtnChangePage->click();
        QCOMPARE(p->ExImgList->count(), 0);
        f.dialogs.expectMessage(kNotFound);
        p->ExBtnOk->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.rows()[0], QStringLiteral(" :旧新"));
    }
};

QTEST_MAIN(TestPageOperations)
#include "test_page_operations.moc"
