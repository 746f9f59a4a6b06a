// Undo and redo in the main window: each kind of page change taken back and
// given again through the window, the files of a deletion included, typing
// in phrases, and the unsaved state following the saved point.

#include "editor/MovieHistory.h"
#include "editor_fixture.h"
#include "editor/FolderPickerWnd.h"
#include "editor/PageListBox.h"
#include "editor/WndMovieCutVol.h"
#include "platform/dir_list_box.h"
#include "pages/ImgSortWnd.h"
#include "pages/publish.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"
#include "pages/WndDelPages.h"
#include "model/operation_journal.h"
#include "support/test_files.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

// What undo must give back exactly.
struct Snapshot {
    QStringList rows;
    QStringList files;     // the movie folder's plain files
    QStringList deleted;   // delete_image's
    QString title;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const EditorFixture& f, const QString& dir) {
    const auto filesIn = [](const QString& d) { return QDir(d).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
    return {f.rows(), filesIn(dir), filesIn(dir + "/delete_image"), f.wnd->windowTitle()};
}

void press(EditorFixture& f, Qt::Key key, Qt::KeyboardModifiers mods) {
    QApplication::setActiveWindow(f.wnd.get());
    f.intro()->setFocus();
    QTest::keyClick(f.intro(), key, mods);
}
void undo(EditorFixture& f) { press(f, Qt::Key_Z, Qt::ControlModifier); }
void redo(EditorFixture& f) { press(f, Qt::Key_Y, Qt::ControlModifier); }

QStringList menuTexts(EditorFixture& f) {
    QMenu menu;
    f.wnd->history()->fillMenu(menu);
    QStringList texts;
    for (const QAction* a : menu.actions()) texts << (a->isEnabled() ? a->text() : a->text() + "（不可用）");
    return texts;
}

template <typename Wnd>
Wnd* toolWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<Wnd*>(w)) return found;
    return nullptr;
}

// Pages taken out in the batch deletion window and applied.
void deleteInBatch(EditorFixture& f, const QList<int>& rows, int imagesMoved) {
    f.wnd->BtnDelMorePages->click();
    WndDelPages* del = toolWindow<WndDelPages>();
    del->ListSrc->clearSelection();
    for (int r : rows) del->ListSrc->item(r)->setSelected(true);
    del->BtnDelSel->click();
    f.dialogs.expectMessage(QStringLiteral("保存完成！共删除图片：%1张！").arg(imagesMoved));
    del->BtnOk->click();
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void rowChangesGoBackAndComeAgain() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg", "c.jpg"}, QStringList{"a.jpg :x", "b.jpg :y", "c.jpg :z"});
        f.open(dir);
        const Snapshot loaded = snapshot(f, dir);

        f.wnd->BtnInsertPage->click();
        const QStringList inserted = f.rows();
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 已撤销：插入第 2 页"));
        QVERIFY(!f.wnd->editedThisMovie);
        redo(f);
        QCOMPARE(f.rows(), inserted);
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 已重做：插入第 2 页"));
        undo(f);

        f.wnd->setSelectedRow(0);
        f.wnd->BtnDownImg->click();
        QCOMPARE(f.rows(), QStringList({"b.jpg :y", "a.jpg :x", "c.jpg :z"}));
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QCOMPARE(f.wnd->selectedRow(), 0);
        // Ctrl+Shift+Z redoes as Ctrl+Y does
        press(f, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.rows(), QStringList({"b.jpg :y", "a.jpg :x", "c.jpg :z"}));
        QCOMPARE(f.wnd->selectedRow(), 1);
        f.wnd->BtnUpImg->click();
        QCOMPARE(menuTexts(f), QStringList({"撤销 上移第 2 页", "重做（不可用）"}));
        undo(f);
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);

        f.wnd->setSelectedRow(2);
        f.wnd->ExNowImageWithImageNamed("a.jpg");
        QCOMPARE(f.rows()[2], QStringLiteral("a.jpg :z"));
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        redo(f);
        QCOMPARE(f.rows()[2], QStringLiteral("a.jpg :z"));
        QCOMPARE(menuTexts(f), QStringList({"撤销 替换第 3 页的图片", "重做（不可用）"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    void deletedPageBringsItsImageBack() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg", "c.jpg"}, QStringList{"a.jpg :x", "b.jpg :y", "c.jpg :z"});
        f.open(dir);
        const QByteArray image = readBytes(dir + "/b.jpg");
        const Snapshot loaded = snapshot(f, dir);
        f.wnd->setSelectedRow(1);
        f.wnd->BtnDelPage->click();
        const Snapshot deleted = snapshot(f, dir);
        QCOMPARE(deleted.deleted, QStringList({"b.jpg"}));
        QCOMPARE(menuTexts(f), QStringList({"撤销 删除第 2 页", "重做（不可用）"}));

        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QCOMPARE(readBytes(dir + "/b.jpg"), image);
        QCOMPARE(f.wnd->selectedRow(), 1);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 已撤销：删除第 2 页"));
        QCOMPARE(menuTexts(f), QStringList({"撤销（不可用）", "重做 删除第 2 页"}));
        redo(f);
        QCOMPARE(snapshot(f, dir), deleted);
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QVERIFY(!QFile::exists(dir + "/" + journal::kPlanFile));
        VERIFY_DIALOGS(f.dialogs);
    }

    void undoneDeletionNeverReplacesANewFile() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :x", "b.jpg :y"});
        f.open(dir);
        const QStringList loadedRows = f.rows();
        f.wnd->setSelectedRow(1);
        f.wnd->BtnDelPage->click();
        const QByteArray deletedImage = readBytes(dir + "/delete_image/b.jpg");
        writeImage(dir, "b.jpg", {20, 10}, Qt::red);
        const QByteArray newcomer = readBytes(dir + "/b.jpg");

        f.dialogs.expectMessage();
        undo(f);
        QCOMPARE(f.dialogs.shown().size(), 1);
        const QString told = f.dialogs.shown().last().text;
        QVERIFY2(told.contains("b.jpg") && told.contains("delete_image/b.jpg"), qPrintable(told));
        QCOMPARE(f.rows(), loadedRows);  // the page is back
        QCOMPARE(readBytes(dir + "/b.jpg"), newcomer);
        QCOMPARE(readBytes(dir + "/delete_image/b.jpg"), deletedImage);

        // the new file is no page's image to move: redo takes the row only
        redo(f);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x"}));
        QCOMPARE(readBytes(dir + "/b.jpg"), newcomer);
        QCOMPARE(QDir(dir + "/delete_image").entryList(QDir::Files), QStringList({"b.jpg"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    void typingIsTakenBackAPhraseAtATime() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :x", "b.jpg :y"}));
        qint64 now = 10'000;
        f.wnd->history()->setClock([&now] { return now; });
        f.typeIntro("ab");
        now += 400;
        f.typeIntro("c");  // within the pause: the same phrase
        now += 5'000;
        f.typeIntro("de");
        QCOMPARE(f.rows()[0], QStringLiteral("a.jpg :xabcde"));
        QCOMPARE(menuTexts(f).first(), QStringLiteral("撤销 修改第 1 页的解说"));
        undo(f);
        QCOMPARE(f.rows()[0], QStringLiteral("a.jpg :xabc"));
        QCOMPARE(f.intro()->text(), QStringLiteral("xabc"));
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        undo(f);
        QCOMPARE(f.rows()[0], QStringLiteral("a.jpg :x"));
        QCOMPARE(f.intro()->text(), QStringLiteral("x"));
        QCOMPARE(f.wnd->windowTitle(), kBase);
        // another page right away is another step
        f.typeIntro("1");
        f.wnd->setSelectedRow(1);
        f.typeIntro("2");
        undo(f);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x1", "b.jpg :y"}));
        redo(f);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x1", "b.jpg :y2"}));
        QCOMPARE(f.intro()->text(), QStringLiteral("y2"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void theSavedPointIsClean() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg"}, QStringList{"a.jpg :x"});
        f.open(dir);
        qint64 now = 0;
        f.wnd->history()->setClock([&now] { return now; });
        f.typeIntro("1");
        f.dialogs.expectMessage(QStringLiteral("保存脚本成功！"));
        f.wnd->BtnSave->click();
        QCOMPARE(f.wnd->windowTitle(), kBase);
        now += 100;  // a save ends the phrase however soon the typing goes on
        f.typeIntro("2");
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        undo(f);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x1"}));
        QCOMPARE(f.wnd->windowTitle(), kBase);
        QVERIFY(!f.wnd->editedThisMovie);
        // back beyond the save: unsaved again
        undo(f);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x"}));
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
        QVERIFY(f.wnd->editedThisMovie);
        redo(f);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        VERIFY_DIALOGS(f.dialogs);
    }

    void theHistoryBelongsToOneMovieAndItsOwnChanges() {
        EditorFixture f;
        const QString one = f.makeMovie("one", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :x", "b.jpg :y"});
        const QString two = f.makeMovie("two", {"c.jpg"}, QStringList{"c.jpg :z"});
        f.open(one);
        f.wnd->BtnInsertPage->click();
        f.dialogs.expectYesNoCancel(Answer::No, kQuestion);
        f.open(two);
        QCOMPARE(f.wnd->history()->stack().count(), 0);
        undo(f);
        QCOMPARE(f.rows(), QStringList({"c.jpg :z"}));
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">_< 没有可以撤销的修改"));
        // rows changed where nothing recorded it: the steps no longer fit them
        f.wnd->BtnInsertPage->click();
        f.wnd->replaceRows({"c.jpg :other"});
        QCOMPARE(f.wnd->history()->stack().count(), 0);
        QCOMPARE(menuTexts(f), QStringList({"撤销（不可用）", "重做（不可用）"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    void batchDeletionAndNewOrderGoBack() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg", "c.jpg"}, QStringList{"a.jpg :x", "b.jpg :y", "c.jpg :z", "a.jpg :w"});
        f.open(dir);
        const Snapshot loaded = snapshot(f, dir);
        deleteInBatch(f, {0, 1, 2}, 2);  // a stays: the last row still shows it
        Snapshot deleted = snapshot(f, dir);
        QCOMPARE(deleted.rows, QStringList({"a.jpg :w"}));
        QCOMPARE(deleted.deleted, QStringList({"b.jpg", "c.jpg"}));
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 已撤销：批量删除 3 页"));
        redo(f);
        deleted.title = kUnsavedTitle;
        QCOMPARE(snapshot(f, dir), deleted);
        undo(f);

        f.wnd->BtnImgSort->click();
        ImgSortWnd* sort = toolWindow<ImgSortWnd>();
        sort->ListImgSrc->item(3)->setSelected(true);
        sort->ListImgInsert->selectRow(0);
        sort->BtnInsert->click();
        sort->BtnOK->click();
        const QStringList sorted = f.rows();
        QVERIFY(sorted != loaded.rows);
        QCOMPARE(menuTexts(f).first(), QStringLiteral("撤销 排序"));
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        redo(f);
        QCOMPARE(f.rows(), sorted);
        VERIFY_DIALOGS(f.dialogs);
    }

    void aSelectionSavedInPlaceGoesBack() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg", "c.jpg"}, QStringList{"a.jpg :x", "b.jpg :y", "c.jpg :z"});
        f.open(dir);
        const Snapshot loaded = snapshot(f, dir);
        SmartCutWnd selection(f.wnd.get());
        selection.showCentred();
        SmartCutResultWnd* result = selection.resultWnd();
        result->clearRows();
        result->showResult({"b.jpg :y"});
        f.dialogs.expectMessage();
        result->BtnSaveDel->click();
        QCOMPARE(snapshot(f, dir).deleted, QStringList({"a.jpg", "c.jpg"}));
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 已撤销：保存筛选结果"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void undoneBatchDeletionRestoresWhatItCan() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg", "c.jpg"}, QStringList{"a.jpg :x", "b.jpg :y", "c.jpg :z"});
        f.open(dir);
        const QStringList loadedRows = f.rows();
        deleteInBatch(f, {1, 2}, 2);
        writeImage(dir, "c.jpg", {20, 10}, Qt::red);
        const QByteArray newcomer = readBytes(dir + "/c.jpg");
        f.dialogs.expectMessage();
        undo(f);
        const QString told = f.dialogs.shown().last().text;
        QVERIFY2(told.contains("c.jpg") && !told.contains("b.jpg"), qPrintable(told));
        QCOMPARE(f.rows(), loadedRows);
        QVERIFY(QFile::exists(dir + "/b.jpg") && !QFile::exists(dir + "/delete_image/b.jpg"));
        QCOMPARE(readBytes(dir + "/c.jpg"), newcomer);
        QVERIFY(QFile::exists(dir + "/delete_image/c.jpg"));
        // redo moves again only what came back
        redo(f);
        QCOMPARE(f.rows(), QStringList({"a.jpg :x"}));
        QVERIFY(!QFile::exists(dir + "/b.jpg") && QFile::exists(dir + "/delete_image/b.jpg"));
        QCOMPARE(readBytes(dir + "/c.jpg"), newcomer);
        VERIFY_DIALOGS(f.dialogs);
    }

    void publishingIsTakenBackWithItsScript() {
        EditorFixture f;
        const QString dir = f.makeMovie("w", {"a.jpg", "b.jpg"}, QStringList{"a.jpg :一", "b.jpg :二"});
        f.open(dir);
        const Snapshot loaded = snapshot(f, dir);
        const QByteArray script = readBytes(dir + "/ReelsketchScript.txt");
        f.dialogs.expectYesNo(Answer::Yes, pages::kPublishQuestion).expectMessage();
        f.wnd->BtnExportTj->click();
        const Snapshot published = snapshot(f, dir);
        const QByteArray publishedScript = readBytes(dir + "/ReelsketchScript.txt");
        QVERIFY(published.files != loaded.files);
        undo(f);
        QCOMPARE(snapshot(f, dir), loaded);
        QCOMPARE(readBytes(dir + "/ReelsketchScript.txt"), script);
        QVERIFY(!f.wnd->editedThisMovie);
        redo(f);
        QCOMPARE(snapshot(f, dir), published);
        QCOMPARE(readBytes(dir + "/ReelsketchScript.txt"), publishedScript);

        // a file under an old name: nothing renamed back, the step stays done
        writeBytes(dir, "a.jpg", "newcomer");
        f.dialogs.expectMessage();
        undo(f);
        QVERIFY(f.dialogs.shown().last().text.contains("a.jpg"));
        QCOMPARE(f.rows(), published.rows);
        QCOMPARE(readBytes(dir + "/ReelsketchScript.txt"), publishedScript);
        QCOMPARE(menuTexts(f).first(), QStringLiteral("撤销 发布"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void anEpisodeIsTakenBackWithoutWhatWasThereOrChanged() {
        EditorFixture f;
        const QString movie = f.makeMovie("m", {"1.jpg", "3.jpg", "4.jpg"}, QStringList{"1.jpg :一", "3.jpg :三", "4.jpg :四"});
        const QString target = f.root.filePath("ep");
        QDir().mkpath(target);
        writeBytes(target, "3.jpg", "was here");
        writeBytes(target, "old.jpg", "stays");
        f.open(movie);
        const QString title = f.wnd->windowTitle();
        f.wnd->BtnMovieCut->click();
        auto* ep = toolWindow<WndMovieCutVol>();
        for (int r : {0, 1, 2}) ep->ListSrc->item(r)->setSelected(true);
        ep->BtnSaveTo->click();
        QVERIFY(ep->picker()->DirList->setPath(target, false));
        f.dialogs.expectMessage(QStringLiteral("剧集生成完成！共计：3 张"));
        ep->picker()->BtnOk->click();
        writeBytes(target, "4.jpg", "edited since");
        QCOMPARE(f.wnd->windowTitle(), title);  // the movie's rows are as saved

        f.dialogs.expectMessage();
        undo(f);
        const QString told = f.dialogs.shown().last().text;
        QVERIFY2(told.contains("3.jpg") && told.contains("4.jpg") && !told.contains("1.jpg"), qPrintable(told));
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList({"3.jpg", "4.jpg", "old.jpg"}));
        QCOMPARE(readBytes(target + "/4.jpg"), QByteArray("edited since"));
        QCOMPARE(f.wnd->windowTitle(), title);
        QVERIFY(!f.wnd->editedThisMovie);

        redo(f);
        QCOMPARE(QDir(target).entryList(QDir::Files),
                 QStringList({"1.jpg", "3.jpg", "4.jpg", "old.jpg", "ReelsketchScript.txt"}));
        QCOMPARE(readBytes(target + "/1.jpg"), readBytes(movie + "/1.jpg"));
        QCOMPARE(f.wnd->windowTitle(), title);
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
