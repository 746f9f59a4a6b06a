// The selection result applied on real temporary folders: in place (images
// not kept move into delete_image, the page list becomes the kept rows) and
// as a copy through the picker; the windows it closes.

#include "../editor/editor_fixture.h"
#include "editor/FolderPickerWnd.h"
#include "editor/LoadingWnd.h"
#include "platform/dir_list_box.h"
#include "platform/file_helpers.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"
#include "support/test_files.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

const QStringList kMain{"a.jpg :1", "b.jpg :2", "a.jpg :3", "A.jpg :4", "m.jpg :5", "gone.jpg :6", "c.jpg :7"};
const QStringList kImages{"a.jpg", "A.jpg", "b.jpg", "c.jpg"};

struct ResultFixture : EditorFixture {
    QString dir;
    std::unique_ptr<SmartCutWnd> selection;
    SmartCutResultWnd* result;

    explicit ResultFixture(const QStringList& kept) {
        open(dir = makeMovie("m", kImages, kMain));
        selection = std::make_unique<SmartCutWnd>(wnd.get());
        selection->showCentred();
        result = selection->resultWnd();
        result->clearRows();
        result->showResult(kept);
        result->setLog("log");
    }
    bool binned(const QString& name) const { return QFile::exists(dir + "/delete_image/" + name); }
    // Both windows gone, the main window usable, the progress window closed.
    void verifyClosed() const {
        QVERIFY(!selection->isVisible() && !result->isVisible() && result->isEnabled());
        QVERIFY(wnd->isEnabled() && !wnd->loadingWnd()->isVisible());
        QCOMPARE(wnd->loadingWnd()->LabelNumber->text(), QStringLiteral("100%"));
    }
};

} // namespace

class TestSmartCutResult : public QObject {
    Q_OBJECT
private slots:
    void saveInPlace_data() {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("binned");
        QTest::addColumn<bool>("readOnly");
        // a.jpg is kept through row 3 only; A.jpg is another image; the kept
        // m.jpg and the unkept gone.jpg are missing
        const QStringList some{"a.jpg :3", "m.jpg :5", "c.jpg :7"};
        const QString head = QStringLiteral("\n\n有 %1 张图片没能移到 delete_image 文件夹：\n");
        QTest::newRow("some") << some << QStringLiteral("保存完成！共删除图片：2张！") + head.arg(1) + "gone.jpg：图片文件不存在"
                              << QStringList{"A.jpg", "b.jpg"} << false;
        QTest::newRow("all") << kMain << QStringLiteral("保存完成！共删除图片：0张！") << QStringList{} << false;
        QTest::newRow("delete_image read-only")
            << some << QStringLiteral("保存完成！共删除图片：0张！") + head.arg(3) + "b.jpg：没有权限\nA.jpg：没有权限\ngone.jpg：图片文件不存在"
            << QStringList{} << true;
    }
    void saveInPlace() {
        QFETCH(QStringList, kept);
        QFETCH(QString, message);
        QFETCH(QStringList, binned);
        QFETCH(bool, readOnly);
        ResultFixture f(kept);
        std::optional<ReadOnlyFolder> fixed;
        if (readOnly) {
            QVERIFY(QDir(f.dir).mkdir("delete_image"));
            fixed.emplace(f.dir + "/delete_image");
            if (!fixed->ok()) QSKIP(qPrintable(fixed->why()));
        }
        QVERIFY(!f.wnd->isEnabled() && f.result->isEnabled());
        QCOMPARE(f.result->IntroCut->toPlainText(), PicMovieWnd::GetImageIntroWithRowStr(kept[0]));
        const QByteArray script = readBytes(f.dir + "/ReelsketchScript.txt");
        f.dialogs.expectMessage(message);
        f.result->BtnSaveDel->click();
        QCOMPARE(f.rows(), kept);
        for (const QString& image : kImages)
            QVERIFY2(f.binned(image) == binned.contains(image) && QFile::exists(f.dir + "/" + image) != binned.contains(image),
                     qPrintable(image));
        QCOMPARE(f.wnd->loadingWnd()->TextLoadMsg->text(), QStringLiteral("保存筛选结果中，总计：%1张").arg(kept.size()));
        // the script is not written, and leaving the folder asks
        QVERIFY(f.wnd->editedThisMovie && readBytes(f.dir + "/ReelsketchScript.txt") == script);
        f.verifyClosed();
        VERIFY_DIALOGS(f.dialogs);
    }

    void saveCopy() {
        ResultFixture f({"a.jpg :1", "m.jpg :5", "a.jpg :3", "c.jpg :7", " :no image"});
        const QString target = f.makeMovie("t", {});
        writeBytes(target, "a.jpg", "old");
        writeBytes(target, "other.txt", "stays");
        f.result->BtnSaveAs->click();
        FolderPickerWnd* picker = f.result->saveAsWnd();
        QVERIFY(picker && picker->isVisible() && !f.result->isEnabled());
        QCOMPARE(picker->DirList->path(), f.dir);
        QVERIFY(picker->DirList->setPath(target));
        f.dialogs.expectMessage(QStringLiteral("保存完成！共存储图片：3张！"))
            .expectMessage(QStringLiteral("有 2 张图片没能存储：\nm.jpg：文件或文件夹不存在\n：这一行没有图片文件名"));
        picker->BtnOk->click();
        QCOMPARE(readBytes(target + "/a.jpg"), readBytes(f.dir + "/a.jpg"));
        QCOMPARE(QDir(target).entryList(QDir::Files), (QStringList{"a.jpg", "c.jpg", "other.txt"}));
        QVERIFY(!picker->isVisible() && f.rows() == kMain && !QFile::exists(f.dir + "/delete_image"));
        f.verifyClosed();
        // an empty result stores nothing
        const QString empty = f.makeMovie("e", {});
        f.result->clearRows();
        f.result->showResult({});
        f.dialogs.expectMessage(QStringLiteral("保存完成！共存储图片：0张！"));
        f.result->SaveToNewFilePath(empty);
        QVERIFY(QDir(empty).isEmpty() && !f.result->isVisible());
        VERIFY_DIALOGS(f.dialogs);
    }

    void copySyncedOnceBeforeTheMessage() {
        ResultFixture f({"a.jpg :1", "b.jpg :2", "a.jpg :3", "m.jpg :5"});
        const QString target = f.makeMovie("t", {});
        QStringList synced, shownBeforeSync;
        bool allThere = false;
        setDiskSync([&](const QString& folder, const QStringList& names, QString* why) {
            synced = names;
            shownBeforeSync = f.dialogs.shownTexts();
            allThere = folder == target && readBytes(target + "/b.jpg") == readBytes(f.dir + "/b.jpg");
            *why = QStringLiteral("输入/输出错误");
            return false;
        });
        // stored is not claimed; the images that failed are still listed
        f.dialogs
            .expectMessage(QStringLiteral("保存没有完成：2 张图片已经复制，但没能确认它们存到了磁盘上（输入/输出错误），请检查磁盘。"))
            .expectMessage(QStringLiteral("有 1 张图片没能存储：\nm.jpg：文件或文件夹不存在"));
        f.result->SaveToNewFilePath(target);
        setDiskSync({});
        QCOMPARE(synced, (QStringList{"a.jpg", "b.jpg"}));
        QVERIFY(allThere && shownBeforeSync.isEmpty());
        f.verifyClosed();
        VERIFY_DIALOGS(f.dialogs);
    }

    void copyIntoTheMovieFolderIsRefused() {
        ResultFixture f({"a.jpg :1"});
        const QString refusal = QStringLiteral("不能另存到影片自己的文件夹，请选择别的文件夹。");
        const QStringList before = QDir(f.dir).entryList(QDir::AllEntries | QDir::Hidden);
        // by another name of the same folder, then through the picker
        QVERIFY(QFile::link(f.dir, f.root.filePath("link")));
        f.dialogs.expectMessage(refusal).expectMessage(refusal);
        f.result->SaveToNewFilePath(f.root.filePath("link"));
        f.result->BtnSaveAs->click();
        FolderPickerWnd* picker = f.result->saveAsWnd();
        QVERIFY(picker);
        picker->BtnOk->click();
        QVERIFY(picker->isVisible() && !f.result->isEnabled());  // pick another folder
        picker->BtnCancel->click();
        QVERIFY(f.result->isVisible() && f.result->isEnabled() && f.selection->isVisible());
        QCOMPARE(QDir(f.dir).entryList(QDir::AllEntries | QDir::Hidden), before);
        VERIFY_DIALOGS(f.dialogs);
    }

    void anotherMovieOpenedMeanwhile() {
        ResultFixture f({"a.jpg :1"});
        // closing the selection takes its result along
        f.selection->close();
        QVERIFY(!f.result->isVisible());
        f.result->show();
        const QString other = f.makeMovie("n", {"x.jpg"}), target = f.makeMovie("t", {});
        f.open(other);
        const QString changed = QStringLiteral("主窗口已经打开了别的影片文件夹，这个筛选结果不能再保存，请重新筛选。");
        f.dialogs.expectMessage(changed).expectMessage(changed);
        f.result->BtnSaveDel->click();
        f.result->SaveToNewFilePath(target);
        QCOMPARE(f.rows(), QStringList{"x.jpg :"});
        QVERIFY(QFile::exists(other + "/x.jpg") && QDir(target).isEmpty() && f.result->isVisible());
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestSmartCutResult)
#include "test_smart_cut_result.moc"
