// Opening folders, drives and closing, with the unsaved question.

#include "editor/LoadingWnd.h"
#include "editor_fixture.h"
#include "model/script_file.h"
#include "platform/aic_alpha_image.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "support/image_samples.h"
#include "support/test_files.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QtTest>

#include <unistd.h>

using namespace kinoleaf;
using namespace kinoleaf::test;


class TestFolderLoading : public QObject {
    Q_OBJECT
private slots:
    void firstLook() {
        EditorFixture f;
        QCOMPARE(f.wnd->windowTitle(), kBase);
        QCOMPARE(f.wnd->rootFilePath, QString());
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(f.list()->count(), 0);
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral("^_^快来选择一部影片图解一下吧！"));
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("吐槽些什么吧~\n"));
        QVERIFY(f.intro()->isEnabled());
        QVERIFY(!f.wnd->BtnLinkServer->isVisible());
        QVERIFY(f.wnd->BtnMovieCut->isVisible());
        // twips / 15 at 96 DPI
        QCOMPARE(f.wnd->size(), QSize(963, 635));
        QCOMPARE(f.wnd->PicMovieImg->geometry(), QRect(272, 48, 665, 409));
        QCOMPARE(f.wnd->BtnNextPage->geometry(), QRect(832, 568, 105, 33));
        QCOMPARE(f.wnd->Label3->text(), QString());
        // small enough for a 1366 x 768 screen at 125%
        QVERIFY(f.wnd->minimumWidth() <= 1366 * 4 / 5 && f.wnd->minimumHeight() <= 550);
        for (const char* name : {"DriveSelect", "FilePathList", "ListMoviePics", "PicMovieImg",
                                 "TxtMovieIntro", "LabelLogMsg", "BtnPrePage", "BtnNextPage",
                                 "BtnSave", "BtnInsertPage", "BtnDelPage", "BtnChangePage", "BtnUpImg",
                                 "BtnDownImg", "BtnDelMorePages", "BtnImgSort", "BtnImgCut",
                                 "BtnMovieCut", "BtnExportTj", "BtnLinkServer", "Label1", "Label2",
                                 "Label3", "Line1", "Line2", "Line3", "Shape1"})
            QVERIFY2(f.wnd->findChild<QWidget*>(name), name);
        VERIFY_DIALOGS(f.dialogs);
    }

    void scriptRowsThenUnnamedImages() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"1.jpg", "2.jpg", "4.jpg", "a.jpg", "notes.txt"},
                                        QStringList{"2.jpg :第二", "1.jpg :第一", "3.jpg", "A.JPG :大写"});
        f.open(dir);
        QCOMPARE(f.rows(), QStringList({"2.jpg :第二", "1.jpg :第一", "3.jpg", "A.JPG :大写", "4.jpg", "a.jpg"}));
        QCOMPARE(f.wnd->rootFilePath, dir);
        QCOMPARE(f.wnd->selectedRow(), 0);
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("第二"));
        // filling the box marked the script unsaved; the load clears that
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        QCOMPARE(f.wnd->LabelLogMsg->text(),
                 QStringLiteral(">o< 找到解说脚本[") + QDir::toNativeSeparators(dir + "/ReelsketchScript.txt") +
                     QStringLiteral("]，载入脚本成功！"));
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + "/2.jpg");
        QVERIFY(!f.wnd->loadingWnd()->isVisible());
        QCOMPARE(f.wnd->loadingWnd()->LabelNumber->text(), QString("100%"));
        VERIFY_DIALOGS(f.dialogs);
    }

    void imagesOnlyInNaturalOrder() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"10.jpg", "2.png", "cover.JPG", "a.b.png", "x.jpg.bak"});
        test::writeBytes(dir, "readme", "x");
        f.open(dir);
        // showing the first page gave its row an empty intro
        QCOMPARE(f.rows(), QStringList({"2.png :", "10.jpg", "cover.JPG"}));
        QCOMPARE(f.wnd->LabelLogMsg->text(), QStringLiteral(">o< 载入图片列表成功，共计[3]张图片"));
        QCOMPARE(f.wnd->selectedRow(), 0);
        VERIFY_DIALOGS(f.dialogs);
    }

    void emptyFolderKeepsWhatWasShown() {
        EditorFixture f;
        const QString movie = f.makeMovie("m", {"1.jpg"}, QStringList{"1.jpg :有字"});
        const QString empty = f.makeMovie("empty", {});
        f.open(movie);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), movie + "/1.jpg");
        const QString status = f.wnd->LabelLogMsg->text();
        f.open(empty);
        QCOMPARE(f.list()->count(), 0);
        QCOMPARE(f.wnd->rootFilePath, empty);
        QCOMPARE(f.wnd->LabelLogMsg->text(), status);
        QCOMPARE(f.intro()->toPlainText(), QStringLiteral("有字"));
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), movie + "/1.jpg");
        VERIFY_DIALOGS(f.dialogs);
    }

    void aPictureOfTheFolderLeftBehindStaysAway() {
        EditorFixture f;
        const QString movie = f.makeMovie("m", {}, QStringList{"a.jpg :一"});
        test::writeNoisyJpeg(movie, "a.jpg");
        f.open(movie);
        QCOMPARE(f.wnd->PicMovieImg->pendingPath(), movie + "/a.jpg");
        f.open(f.makeMovie("empty", {}));
        QVERIFY(f.wnd->PicMovieImg->waitForBackgroundWork());
        QTest::qWait(20);
        QCOMPARE(f.wnd->PicMovieImg->currentPath(), QString());
        VERIFY_DIALOGS(f.dialogs);
    }

    void unsavedQuestionOnFolderChange_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(Answer::Yes);
        QTest::newRow("no") << int(Answer::No);
        QTest::newRow("cancel") << int(Answer::Cancel);
    }
    void unsavedQuestionOnFolderChange() {
        QFETCH(int, answer);
        EditorFixture f;
        const QString a = f.makeMovie("a", {"1.jpg"}, QStringList{"1.jpg :旧"});
        const QString b = f.makeMovie("b", {"9.jpg"});
        f.open(a);
        const QString before = f.scriptBytesOf(a);
        f.typeIntro(QStringLiteral("新"));
        QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);

        f.dialogs.expectYesNoCancel(Answer(answer), kQuestion);
        if (answer == int(Answer::Yes)) f.dialogs.expectMessage(QStringLiteral("图解脚本保存成功！"));
        f.open(b);
        VERIFY_DIALOGS(f.dialogs);

        if (answer == int(Answer::Cancel)) {
            QCOMPARE(f.wnd->FilePathList->path(), a);
            QCOMPARE(f.wnd->rootFilePath, a);
            QCOMPARE(f.rows(), QStringList({"1.jpg :旧新"}));
            QVERIFY(f.wnd->editedThisMovie);
            QCOMPARE(f.wnd->windowTitle(), kUnsavedTitle);
            QCOMPARE(f.scriptBytesOf(a), before);
            return;
        }
        QCOMPARE(f.wnd->rootFilePath, b);
        QCOMPARE(f.rows(), QStringList({"9.jpg :"}));
        QVERIFY(!f.wnd->editedThisMovie);
        QCOMPARE(f.wnd->windowTitle(), kBase);
        const QByteArray saved = test::readBytes(a + "/ReelsketchScript.txt");
        QCOMPARE(saved, answer == int(Answer::Yes) ? test::gbkBytes("1.jpg :旧新\r\n")
                                                   : test::gbkBytes("1.jpg :旧\r\n"));
    }

    void noQuestionWithoutEdits() {
        EditorFixture f;
        f.open(f.makeMovie("a", {"1.jpg"}, QStringList{"1.jpg :有解说"}));
        f.open(f.makeMovie("b", {"2.jpg"}));
        QCOMPARE(f.wnd->windowTitle(), kBase);
        VERIFY_DIALOGS(f.dialogs);
    }

    void yesWithAFailedSaveKeepsTheMovie() {
        EditorFixture f;
        const QString a = f.makeMovie("a", {"1.jpg"}, QStringList{"1.jpg"});
        f.open(a);
        f.typeIntro("x");
        // the script's place is taken by a folder, so the save cannot happen
        QFile::remove(a + "/ReelsketchScript.txt");
        QDir(a).mkdir("ReelsketchScript.txt");
        f.dialogs.expectYesNoCancel(Answer::Yes, kQuestion).expectMessage();
        f.open(f.makeMovie("b", {"2.jpg"}));
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->rootFilePath, a);
        QCOMPARE(f.wnd->FilePathList->path(), a);
        QCOMPARE(f.rows(), QStringList({"1.jpg :x"}));
        QVERIFY(f.wnd->editedThisMovie);
    }

    void typingAtStartThenCancelGoesBackToTheShownFolder() {
        EditorFixture f;
        const QString shown = f.wnd->FilePathList->path();
        f.typeIntro("x");
        QVERIFY(f.wnd->editedThisMovie);
        f.dialogs.expectYesNoCancel(Answer::Cancel, kQuestion);
        f.open(f.makeMovie("b", {"2.jpg"}));
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->FilePathList->path(), shown);
        QCOMPARE(f.wnd->rootFilePath, QString());
    }

    void yesWithNoFolderLoadedGoesOn() {
        EditorFixture f;
        f.typeIntro("x");
        // nothing can be saved yet: after saying so, the folder opens
        f.dialogs.expectYesNoCancel(Answer::Yes, kQuestion).expectMessage();
        const QString b = f.makeMovie("b", {"2.jpg"});
        f.open(b);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->rootFilePath, b);
        QCOMPARE(f.rows(), QStringList({"2.jpg :"}));
        QVERIFY(!f.wnd->editedThisMovie);
    }

#ifdef Q_OS_UNIX
    void namesFromChineseWindowsAreRepaired_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void namesFromChineseWindowsAreRepaired() {
        QFETCH(bool, yes);
        EditorFixture f;
        test::RawTempDir tmp;
        const QString dir = tmp.path() + "/movie";
        const QByteArray picture = test::readBytes(test::writeImage(dir, "1.jpg"));
        test::writeImage(dir, QStringLiteral("重名.jpg"));
        QVERIFY(test::makeRawFile(dir, test::gbkBytes("第二页.jpg"), picture));
        QVERIFY(test::makeRawFile(dir, test::gbkBytes("重名.jpg"), "the other one"));
        QVERIFY(test::makeRawFolder(dir, test::gbkBytes("第2集")));
        test::writeBytes(dir, script::kFileName, test::gbkBytes("1.jpg :一\r\n第二页.jpg :二\r\n"));

        f.dialogs.expectYesNo(yes ? Answer::Yes : Answer::No);
        // a name that is taken stays as it was, and the report says why
        if (yes) f.dialogs.expectMessage();
        f.open(dir);
        VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.dialogs.shown()[0].text.contains(QStringLiteral("3 个")));
        QCOMPARE(f.rows(), QStringList({"1.jpg :一", "第二页.jpg :二", "重名.jpg"}));
        if (!yes) {
            QVERIFY(!QFile::exists(dir + QStringLiteral("/第二页.jpg")));
            return;
        }
        QVERIFY(f.dialogs.shown()[1].text.contains(QStringLiteral("重名.jpg：已经有同名的文件或文件夹")));
        QCOMPARE(test::readBytes(dir + QStringLiteral("/第二页.jpg")), picture);
        QCOMPARE(test::readRaw(dir, test::gbkBytes("重名.jpg")), QByteArray("the other one"));
        QVERIFY(f.wnd->FilePathList->listing().subfolders.contains(QStringLiteral("第2集")));
        f.wnd->setSelectedRow(1);
        QTRY_COMPARE(f.wnd->PicMovieImg->currentPath(), dir + QStringLiteral("/第二页.jpg"));
    }

    void openingAFolderNamedOnChineseWindows() {
        EditorFixture f;
        test::RawTempDir tmp;
        QVERIFY(test::makeRawFolder(tmp.path(), test::gbkBytes("第1集")));
        // No at the load's question: the folder list still shows it, readable
        f.dialogs.expectYesNo(Answer::No);
        f.open(tmp.path());
        QCOMPARE(f.wnd->FilePathList->listing().legacy.size(), 1);
        // opening it asks again, for it alone
        f.dialogs.expectYesNo(Answer::Yes);
        emit f.wnd->FilePathList->legacyFolderActivated(tmp.path(), test::gbkBytes("第1集"), QStringLiteral("第1集"));
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->rootFilePath, tmp.path() + QStringLiteral("/第1集"));
    }
#endif

    void closing_data() { unsavedQuestionOnFolderChange_data(); }
    void closing() {
        QFETCH(int, answer);
        EditorFixture f;
        const QString a = f.makeMovie("a", {"1.jpg"}, QStringList{"1.jpg"});
        f.open(a);
        QVERIFY(f.wnd->close());  // nothing to ask
        f.wnd->show();
        // set directly: no title marker, yet closing asks
        f.wnd->editedThisMovie = true;
        QCOMPARE(f.wnd->windowTitle(), kBase);
        f.dialogs.expectYesNoCancel(Answer(answer), kQuestion);
        if (answer == int(Answer::Yes)) f.dialogs.expectMessage(QStringLiteral("图解脚本保存成功！"));
        const bool closed = f.wnd->close();
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(closed, answer != int(Answer::Cancel));
        QCOMPARE(f.wnd->isVisible(), answer == int(Answer::Cancel));
    }

    void unreadableScriptIsNotLoadedOver() {
        if (geteuid() == 0) QSKIP("root reads every file");
        EditorFixture f;
        const QString a = f.makeMovie("a", {"1.jpg"}, QStringList{"1.jpg :x"});
        QFile(a + "/ReelsketchScript.txt").setPermissions(QFileDevice::WriteOwner);
        f.dialogs.expectMessage();
        f.open(a);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.list()->count(), 0);
        QCOMPARE(f.wnd->rootFilePath, QString());
    }
};

QTEST_MAIN(TestFolderLoading)
#include "test_folder_loading.moc"
