// The episode window: a snapshot of the rows, the selection count, the
// target picker, and the refusals.

#include "editor/FolderPickerWnd.h"
#include "editor/PageListBox.h"
#include "editor/WndMovieCutVol.h"
#include "editor_fixture.h"
#include "platform/dir_list_box.h"
#include "platform/file_helpers.h"
#include "support/test_files.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {
template <typename T> T* topLevel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w)) return found;
    return nullptr;
}

void select(PageListBox* list, const QList<int>& rows) {
    list->clearSelection();
    for (int r : rows) list->item(r)->setSelected(true);
}
} // namespace

class TestMovieCut : public QObject {
    Q_OBJECT
private slots:
    void anEpisodeFromTheSelectedPages() {
        EditorFixture f;
        const QString movie = f.makeMovie("m", {"1.jpg", "2.jpg", "3.jpg", "4.jpg"},
                                          QStringList{"1.jpg :一", "2.jpg :二", "3.jpg :三", "4.jpg :四"});
        const QString target = f.root.filePath("ep1");
        QDir().mkpath(target);
        f.open(movie);
        f.wnd->BtnMovieCut->click();
        auto* ep = topLevel<WndMovieCutVol>();
        QVERIFY(ep && ep->isVisible());
        QVERIFY(f.wnd->isEnabled());  // the main window stays usable
        QCOMPARE(ep->LabelSelCount->text(), QStringLiteral("已选择： 1 页"));
        // a later edit in the main window does not reach the snapshot
        f.typeIntro(QStringLiteral("改"));
        select(ep->ListSrc, {0, 2, 3});
        QCOMPARE(ep->LabelSelCount->text(), QStringLiteral("已选择： 3 页"));

        ep->BtnSaveTo->click();
        FolderPickerWnd* picker = ep->picker();
        QVERIFY(picker && picker->isVisible());
        QCOMPARE(picker->objectName(), QStringLiteral("WndVolSaveTo"));
        QVERIFY(!ep->isEnabled());
        // the movie's own folder is refused: its script would be cut down
        QCOMPARE(picker->DirList->path(), movie);
        f.dialogs.expectMessage();
        picker->BtnOk->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(readBytes(movie + "/ReelsketchScript.txt"), gbkBytes("1.jpg :一\r\n2.jpg :二\r\n3.jpg :三\r\n4.jpg :四\r\n"));

        QVERIFY(picker->isVisible());  // to pick another folder
        QVERIFY(picker->DirList->setPath(target, false));
        f.dialogs.expectMessage(QStringLiteral("剧集生成完成！共计：3 张"));
        picker->BtnOk->click();
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(!picker->isVisible());
        QVERIFY(ep->isEnabled());
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList({"1.jpg", "3.jpg", "4.jpg", "ReelsketchScript.txt"}));
        QCOMPARE(readBytes(target + "/ReelsketchScript.txt"), gbkBytes("1.jpg :一\r\n3.jpg :三\r\n4.jpg :四\r\n"));
    }

    void aFailedSyncIsNoSuccess() {
        EditorFixture f;
        const QString movie = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :一"});
        const QString target = f.root.filePath("ep1");
        QDir().mkpath(target);
        f.open(movie);
        f.wnd->BtnMovieCut->click();
        auto* ep = topLevel<WndMovieCutVol>();
        ep->BtnSaveTo->click();
        QVERIFY(ep->picker()->DirList->setPath(target, false));
        QStringList shownBeforeSync;
        setDiskSync([&](const QString&, const QStringList&, QString* why) {
            shownBeforeSync = f.dialogs.shownTexts();
            *why = QStringLiteral("输入/输出错误");
            return false;
        });
        f.dialogs.expectMessage(QStringLiteral("剧集的文件都已写出，但没能确认它们存到了磁盘上，请检查磁盘后重新生成。\n[%1]\n输入/输出错误")
                                    .arg(QDir::toNativeSeparators(target)));
        ep->picker()->BtnOk->click();
        setDiskSync({});
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(shownBeforeSync.isEmpty());
        QCOMPARE(f.dialogs.shown().last().icon, MsgIcon::Critical);
        QVERIFY(ep->isEnabled());
    }

    void theRowsStayWithTheirMovie() {
        EditorFixture f;
        const QString a = f.makeMovie("a", {"1.jpg"}, QStringList{"1.jpg :A"});
        const QString b = f.makeMovie("b", {"1.jpg"}, QStringList{"1.jpg :B"});
        f.open(a);
        f.wnd->BtnMovieCut->click();
        auto* ep = topLevel<WndMovieCutVol>();
        ep->BtnSaveTo->click();
        // 分集 again while its picker is open keeps the chosen pages
        f.wnd->BtnMovieCut->click();
        QCOMPARE(ep->LabelSelCount->text(), QStringLiteral("已选择： 1 页"));
        ep->picker()->close();
        // another movie opened meanwhile: the episode would mix the two
        f.open(b);
        ep->BtnSaveTo->click();
        QVERIFY(ep->picker()->DirList->setPath(f.root.path(), false));
        f.dialogs.expectMessage(QStringLiteral("主窗口已经打开了别的影片文件夹，请重新打开分集窗口。"));
        ep->picker()->BtnOk->click();
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(!QFile::exists(f.root.filePath("ReelsketchScript.txt")));
        QCOMPARE(readBytes(a + "/ReelsketchScript.txt"), gbkBytes("1.jpg :A\r\n"));
    }

    void nothingSelectedIsRefused() {
        EditorFixture f;
        f.open(f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg"}));
        f.wnd->BtnMovieCut->click();
        auto* ep = topLevel<WndMovieCutVol>();
        ep->ListSrc->clearSelection();
        QCOMPARE(ep->LabelSelCount->text(), QStringLiteral("已选择： 0 页"));
        f.dialogs.expectMessage(QStringLiteral("请先选择要生成剧集的页面"));
        ep->BtnSaveTo->click();
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(!ep->picker() || !ep->picker()->isVisible());
        QVERIFY(ep->isEnabled());
    }
};

QTEST_MAIN(TestMovieCut)
#include "test_movie_cut.moc"
