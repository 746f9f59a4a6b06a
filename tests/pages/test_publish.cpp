// Validation and publishing: intro cleaning, the run over a real folder, its
// failures and undo, and the main window's button.

#include "editor/LoadingWnd.h"
#include "editor/editor_fixture.h"
#include "model/page_row.h"
#include "pages/publish.h"
#include "platform/date_text.h"
#include "platform/file_helpers.h"
#include "support/test_files.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;
using L = QStringList;

namespace {
const QString kDay = QStringLiteral("_2026-12-08");
L files(const QString& dir) { return QDir(dir).entryList(QDir::Files, QDir::Name); }
// Small images in root/m, in the subfolders their names give.
QString movie(const QTemporaryDir& root, const L& images) {
    const QString dir = root.filePath(QStringLiteral("m"));
    for (const QString& name : images) writeImage(QFileInfo(dir + '/' + name).absolutePath(), QFileInfo(name).fileName());
    return dir;
}
} // namespace

class TestPublish : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { setClock([] { return QDate(2026, 12, 8); }); }
    void cleanupTestCase() { setClock({}); }

    void cleaningIntros_data() {
        QTest::addColumn<QString>("intro");
        QTest::addColumn<QString>("cleaned");
        for (const auto& [in, out] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"他说:(\"快\")走", "他说 （“快“）走"}, {"", "--"}, {" \t\r\n ", "--"}, {"　a ", "　a"},
                 {"a：b:", "a b"}, {"[注]［注］{注}｛注｝", "注注注注"}, {"it's＇`｀", "it’s’’’"}, {"（a)", "（a）"},
                 {"a|b｜c\\d＼e/f／g\"＂", "a b c d e f g““"}, {"x\ty", "x y"}, {"a :b", "a  b"},
                 // without its exact trigger a fullwidth form stays
                 {"＇｜＼／［］｛｝＂：｀", "＇｜＼／［］｛｝＂：｀"}})
            QTest::newRow(in) << QString::fromUtf8(in) << QString::fromUtf8(out);
    }
    void cleaningIntros() {
        QFETCH(QString, intro);
        QTEST(pages::cleanIntro(intro), "cleaned");
    }

    void publishing_data() {
        QTest::addColumn<L>("images");
        QTest::addColumn<L>("rows");
        QTest::addColumn<L>("published");
        QTest::newRow("extensions") << L{"b.JPG", "a.png", "scan", "a.b.jpg"} << L{"b.JPG :一", "a.png", "scan", "a.b.jpg"}
                                    << L{"rs_0.jpg :一", "rs_1.png :--", "rs_2.null :--", "rs_3.b.jpg :--"};
        QTest::newRow("one image twice") << L{"a.jpg"} << L{"a.jpg :x", "a.jpg :y"} << L{"rs_0.jpg :x", "rs_0.jpg :y"};
        QTest::newRow("republished") << L{"rs_0.jpg", "rs_1.png"} << L{"rs_0.jpg", "rs_1.png"}
                                     << L{"rs_0" + kDay + ".jpg :--", "rs_1" + kDay + ".png :--"};
        QTest::newRow("empty name dropped") << L{"a.jpg", "c.jpg"} << L{"a.jpg", " :x", "c.jpg"}
                                            << L{"rs_0.jpg :--", "rs_2.jpg :--"};
        QTest::newRow("empty list") << L{} << L{} << L{};
        // reordered after publishing: a row naming an image moved earlier in
        // the run keeps that image, not the one renamed into its old name
        QTest::newRow("renames in a chain") << L{"rs_0.jpg", "rs_1.jpg"} << L{"rs_1.jpg :B", "rs_0.jpg :A", "rs_1.jpg :B2"}
                                            << L{"rs_0" + kDay + ".jpg :B", "rs_1.jpg :A", "rs_0" + kDay + ".jpg :B2"};
    }
    void publishing() {
        QFETCH(L, images);
        QFETCH(L, rows);
        QFETCH(L, published);
        QTemporaryDir root;
        const QString dir = movie(root, images);
        LoadingWnd progress;  // fed as the main window feeds it
        L seen;
        const auto r = pages::publish(rows, dir, {[&](int done, int total) {
            progress.Advance(done, total);
            seen << progress.LabelNumber->text();
        }, {}, {}});
        QVERIFY(r.ok);
        QCOMPARE(r.errorCount, 0);
        QCOMPARE(r.rows, published);
        L names;
        for (const QString& row : published) names << imageNameOfRow(row);
        names.removeDuplicates();
        QCOMPARE(files(dir), names);
        // every row moves the bar, a dropped one too, trailing by one row
        if (rows.size() == 3) QCOMPARE(seen, (L{"0%", "33%", "66%"}));
    }

    void troubleOnTheWay() {
        QTemporaryDir root;
        const QString dir = movie(root, {"a.jpg", "b.jpg", "c.jpg", "sub/a.jpg"});
        // a name reaching out of the folder counts as missing
        QCOMPARE(pages::publish({"a.jpg", "sub/a.jpg"}, dir).failedRow, 1);
        QCOMPARE(files(dir), (L{"a.jpg", "b.jpg", "c.jpg"}));
        // c.jpg goes before its turn: the row keeps its name, one error
        const auto vanish = [&](const QString& from, const QString& to, QString* why) {
            QFile::remove(dir + "/c.jpg");
            return moveFileNoReplace(from, to, why);
        };
        pages::PublishResult r = pages::publish({"a.jpg", "b.jpg", "c.jpg :z"}, dir, {{}, vanish, {}});
        QCOMPARE(r.rows, (L{"rs_0.jpg :--", "rs_1.jpg :--", "c.jpg :z"}));
        QCOMPARE(pages::successMessage(r.errorCount), QStringLiteral("脚本验证并发布成功！发现错误（1）处"));
        // rs_1's rename fails and rs_0.jpg is taken meanwhile: the undo can't put it back
        const auto blocked = [&](const QString& from, const QString& to, QString*) {
            return from.endsWith("rs_1.jpg") ? !QDir(dir).mkdir("rs_0.jpg") : moveFileNoReplace(from, to);
        };
        r = pages::publish({"rs_0.jpg", "rs_1.jpg"}, dir, {{}, blocked, {}});
        QCOMPARE(pages::failureMessage(r), QStringLiteral("脚本（1）行发现错误，验证失败！\n"
                                                          "下列图片没能改回原来的名称：\nrs_0%1.jpg（原名：rs_0.jpg）").arg(kDay));
    }

    // Yes publishes, or fails leaving folder, rows and saved script in
    // agreement; No does nothing.
    void theButton_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<L>("rows");
        QTest::addColumn<QString>("obstacle");  // a folder standing at a new name
        QTest::addColumn<L>("after");
        QTest::addColumn<L>("messages");
        QTest::addColumn<int>("selected");
        const L rows{"a.jpg :他说:(\"快\")走", "b.jpg :", "c.jpg :"}, missing = rows + L{"d.jpg :"};
        QTest::newRow("published") << true << rows << QString() << L{"rs_0.jpg :他说 （“快“）走", "rs_1.jpg :--", "rs_2.jpg :--"}
                                   << L{"脚本验证并发布成功！发现错误（0）处"} << -1;
        QTest::newRow("image missing") << true << missing << QString() << missing
                                       << L{"脚本（3）行发现错误，验证失败！", "图片文件未找到，加载失败 >_<"} << 3;
        QTest::newRow("rename refused") << true << rows << QStringLiteral("rs_1.jpg") << rows
                                        << L{"脚本（1）行的图片 b.jpg 无法改名为 rs_1.jpg：已经有同名的文件或文件夹\n"
                                             "验证失败！图片名称和脚本都和发布前一样。"} << 1;
        QTest::newRow("no") << false << rows << QString() << rows << L{} << 0;
    }
    void theButton() {
        QFETCH(bool, yes);
        QFETCH(L, rows);
        QFETCH(QString, obstacle);
        QFETCH(L, after);
        QFETCH(L, messages);
        EditorFixture f;
        const QString dir = f.makeMovie("w", {"a.jpg", "b.jpg", "c.jpg"}, rows);
        if (!obstacle.isEmpty()) QDir(dir).mkdir(obstacle);
        f.open(dir);
        f.wnd->MarkUnsaved();
        f.dialogs.expectYesNo(yes ? Answer::Yes : Answer::No, pages::kPublishQuestion);
        for (const QString& text : messages) f.dialogs.expectMessage(text);
        f.wnd->BtnExportTj->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.rows(), after);
        QTEST(f.wnd->selectedRow(), "selected");
        QCOMPARE(files(dir).filter(".jpg"), (after == rows ? L{"a.jpg", "b.jpg", "c.jpg"} : L{"rs_0.jpg", "rs_1.jpg", "rs_2.jpg"}));
        QCOMPARE(f.wnd->windowTitle(), yes ? kBase : kUnsavedTitle);
        if (yes) QCOMPARE(readBytes(dir + "/ReelsketchScript.txt"), gbkBytes(after.join("\r\n") + "\r\n"));
        LoadingWnd* progress = f.wnd->loadingWnd();
        QVERIFY(f.wnd->isEnabled() && !progress->isVisible());
        if (after == rows) return;
        // no page is shown anew: the intro box keeps the old page's text
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("他说:(\"快\")走"));
        QCOMPARE(progress->LabelTitle->text() + progress->LabelNumber->text(), QStringLiteral("验证中...100%"));
        QCOMPARE(progress->greenWidth(), progress->blackWidth());
    }

    // A publish is done only when its script is saved: a save declined or
    // failed takes the renames back, and success is never told.
    void aPublishWhoseSaveFailsIsTakenBack() {
        EditorFixture f;
        const L rows{"a.jpg :好", "b.jpg :"};
        const QString dir = f.makeMovie("w", {"a.jpg", "b.jpg"}, rows);
        f.open(dir);
        // the script can't be written: a folder stands at its name
        QVERIFY(QFile::remove(dir + "/ReelsketchScript.txt") && QDir(dir).mkdir("ReelsketchScript.txt"));
        f.dialogs.expectYesNo(Answer::Yes, pages::kPublishQuestion).expectMessage();
        f.wnd->BtnExportTj->click();
        VERIFY_DIALOGS(f.dialogs);
        const ShownBox box = f.dialogs.shown().last();
        QVERIFY2(box.text.startsWith(QStringLiteral("保存脚本失败")), qPrintable(box.text));
        QVERIFY(box.text.endsWith(QStringLiteral("发布没有完成。图片都已改回原来的名称，文件夹和脚本和发布前一样。")));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(files(dir), (L{"a.jpg", "b.jpg"}));
        QCOMPARE(f.rows(), rows);
        QVERIFY(QDir(dir).rmdir("ReelsketchScript.txt") && f.wnd->SaveScript());
        QCOMPARE(f.wnd->windowTitle(), kBase);

        // declined: the same, and edits made before stay unsaved
        f.wnd->setRowText(0, QStringLiteral("a.jpg :好😀"));  // a character the script can't hold
        f.wnd->MarkUnsaved();
        f.dialogs.expectYesNo(Answer::Yes, pages::kPublishQuestion)
            .expectYesNo(Answer::No)
            .expectMessage(QStringLiteral("没有保存脚本，发布没有完成。图片都已改回原来的名称，文件夹和脚本和发布前一样。"));
        f.wnd->BtnExportTj->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(files(dir), (L{"ReelsketchScript.txt", "a.jpg", "b.jpg"}));
        QCOMPARE(f.rows().first(), QStringLiteral("a.jpg :好😀"));
        QVERIFY(f.wnd->editedThisMovie);
    }

    // A folder the file system won't let change is refused, with the
    // reason, before anything is renamed.
    void aReadOnlyFolderIsRefused() {
        EditorFixture f;
        const QString dir = f.makeMovie("w", {"a.jpg", "b.jpg"}, L{"a.jpg :", "b.jpg :"});
        f.open(dir);
        ReadOnlyFolder readOnly(dir);
        if (!readOnly.ok()) QSKIP(qPrintable(readOnly.why()));
        f.dialogs.expectYesNo(Answer::Yes, pages::kPublishQuestion)
            .expectMessage(QStringLiteral("影片文件夹不能写入（没有权限），发布没有进行，什么也没有改动。"));
        f.wnd->BtnExportTj->click();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(files(dir), (L{"ReelsketchScript.txt", "a.jpg", "b.jpg"}));
        QCOMPARE(f.rows(), (L{"a.jpg :", "b.jpg :"}));
    }
};

QTEST_MAIN(TestPublish)
#include "test_publish.moc"
