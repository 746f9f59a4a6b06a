// The main window on the desktop: the command line's folder, drops, the
// state one run leaves for the next, and what screen readers and Tab see.

#include "editor/readable_controls.h"
#include "editor/start_options.h"
#include "../editor/editor_fixture.h"
#include "platform/aic_alpha_image.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "support/test_files.h"

#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

const QStringList kScript{"1.jpg :一", "2.jpg :二", "3.jpg :三", "4.jpg :四"};
const QStringList kImages{"1.jpg", "2.jpg", "3.jpg", "4.jpg"};

void drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

// Controls Tab reaches that a screen reader could not name.
QStringList unnamedControls(QWidget* window) {
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QWidget* p = w->parentWidget();
        if (w->window() == window && w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus) &&
            !p->inherits("QAbstractScrollArea") && !p->inherits("QAbstractSpinBox") && w->accessibleName().isEmpty())
            unnamed << QLatin1String(w->metaObject()->className()) + u' ' + w->objectName();
    }
    return unnamed;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void commandLine() {
        QString error;
        auto options = startOptions({"kinoleaf", "/movies/a"}, &error);
        QVERIFY(options);
        QCOMPARE(options->folder, QStringLiteral("/movies/a"));
        QVERIFY(options->remembering);
        options = startOptions({"kinoleaf", "--no-remember", "片"}, &error);
        QVERIFY(options);
        QCOMPARE(options->folder, QStringLiteral("片"));
        QVERIFY(!options->remembering);
        QCOMPARE(startOptions({"kinoleaf"}, &error)->folder, QString());
        QVERIFY(!startOptions({"kinoleaf", "a", "b"}, &error));
        QCOMPARE(error, QStringLiteral("一次只能打开一个影片文件夹，却给了 2 个。"));
        QVERIFY(!startOptions({"kinoleaf", "--frobnicate"}, &error));
        QVERIFY(error.contains(QStringLiteral("frobnicate")));
    }

    // The command line's folder opens as a pick in the folder list does,
    // also the folder the list already stands in (the program started there).
    void openFolderAsAPickDoes() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", kImages, kScript);
        QVERIFY(f.wnd->openFolder(dir));
        QCOMPARE(f.wnd->rootFilePath, dir);
        QCOMPARE(f.wnd->FilePathList->path(), dir);
        QCOMPARE(f.rows(), kScript);
        QCOMPARE(f.wnd->selectedRow(), 0);
        QVERIFY(f.wnd->openFolder(dir + "/"));  // the same movie again: nothing to do

        EditorFixture g;
        const QString other = g.makeMovie("n", kImages);
        g.wnd->FilePathList->setPath(other, false);
        QVERIFY(g.wnd->openFolder(other));
        QCOMPARE(g.wnd->rootFilePath, other);
        QCOMPARE(g.rows().size(), kImages.size());
        VERIFY_DIALOGS(f.dialogs);
        VERIFY_DIALOGS(g.dialogs);
    }

    void openFolderThatCannotBe() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", kImages, kScript);
        QVERIFY(f.wnd->openFolder(dir));
        f.typeIntro("x");
        QVERIFY(f.wnd->editedThisMovie);
        const QString missing = f.root.filePath("没有这个");
        f.dialogs.expectMessage(QStringLiteral("O_O 找不到文件夹\n[%1]").arg(missing));
        QVERIFY(!f.wnd->openFolder(missing));
        const QString file = dir + "/1.jpg";
        f.dialogs.expectMessage(QStringLiteral("O_O 这不是文件夹，无法作为影片打开\n[%1]").arg(file));
        QVERIFY(!f.wnd->openFolder(file));
        // Another movie asks about the unsaved one first; Cancel stays.
        const QString other = f.makeMovie("n", kImages);
        f.dialogs.expectYesNoCancel(Answer::Cancel, kQuestion);
        QVERIFY(!f.wnd->openFolder(other));
        QCOMPARE(f.wnd->rootFilePath, dir);
        QCOMPARE(f.wnd->FilePathList->path(), dir);
        QCOMPARE(f.rows().first(), QStringLiteral("1.jpg :一x"));
        QVERIFY(f.wnd->isVisible());
        VERIFY_DIALOGS(f.dialogs);
    }

    void rememberedForTheNextRun() {
        QTemporaryDir config;
        const QString file = config.filePath("Kinoleaf.conf");
        EditorFixture f;
        const QString dir = f.makeMovie("m", kImages, kScript);
        {
            EditorFixture first;
            first.wnd->resize(1000, 700);
            first.wnd->move(40, 30);
            QVERIFY(first.wnd->openFolder(dir));
            first.wnd->setSelectedRow(2);
            QSettings settings(file, QSettings::IniFormat);
            first.wnd->rememberState(settings, true);
            VERIFY_DIALOGS(first.dialogs);
        }
        QSettings settings(file, QSettings::IniFormat);
        {
            EditorFixture next;
            next.wnd->restoreWindowGeometry(settings);
            QCOMPARE(next.wnd->size(), QSize(1000, 700));
            next.wnd->openAtStart(settings, {});
            QCOMPARE(next.wnd->rootFilePath, dir);
            QCOMPARE(next.wnd->selectedRow(), 2);
            QCOMPARE(next.intro()->toPlainText(), QStringLiteral("三"));
            QVERIFY(!next.wnd->editedThisMovie);  // reopening is no change
            // A scratch copy opened with remembering off leaves the folder
            // and page remembered before.
            const QString scratch = next.makeMovie("scratch", kImages);
            const bool opened = next.wnd->openFolder(scratch);
            VERIFY_DIALOGS(next.dialogs);
            QVERIFY(opened);
            next.wnd->rememberState(settings, false);
            VERIFY_DIALOGS(next.dialogs);
        }
        QCOMPARE(settings.value("movie/folder").toString(), dir);
        {
            // The movie got shorter since: its last page.
            test::writeBytes(dir, "ReelsketchScript.txt", gbkBytes("1.jpg :一\r\n2.jpg :二\r\n"));
            QDir(dir).remove("3.jpg");
            QDir(dir).remove("4.jpg");
            EditorFixture next;
            next.wnd->openAtStart(settings, {});
            QCOMPARE(next.wnd->rootFilePath, dir);
            QCOMPARE(next.wnd->selectedRow(), 1);
            // Another folder on the command line: its first page.
            EditorFixture other;
            const QString elsewhere = other.makeMovie("o", kImages);
            other.wnd->openAtStart(settings, elsewhere);
            QCOMPARE(other.wnd->rootFilePath, elsewhere);
            QCOMPARE(other.wnd->selectedRow(), 0);
            VERIFY_DIALOGS(next.dialogs);
            VERIFY_DIALOGS(other.dialogs);
        }
        {
            // Gone: a first run's start, without a word.
            QVERIFY(QDir(dir).removeRecursively());
            EditorFixture next;
            next.wnd->openAtStart(settings, {});
            QCOMPARE(next.wnd->rootFilePath, QString());
            VERIFY_DIALOGS(next.dialogs);
        }
    }

    // A folder dropped anywhere on the window opens; a file its folder; the
    // intro box takes no path as text.
    void droppedFolders() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", kImages, kScript);
        const QString other = f.makeMovie("n", kImages);
        drop(f.wnd.get(), {QUrl::fromLocalFile(dir)});
        QTRY_COMPARE(f.wnd->rootFilePath, dir);
        drop(f.intro()->viewport(), {QUrl("https://example.org/x.jpg"), QUrl::fromLocalFile(other + "/2.jpg")});
        QTRY_COMPARE(f.wnd->rootFilePath, other);
        QCOMPARE(f.intro()->toPlainText(), QString());
        QVERIFY(!f.wnd->editedThisMovie);
        VERIFY_DIALOGS(f.dialogs);
    }

    void readingOrderOfRects_data() {
        QTest::addColumn<QList<QRect>>("rects");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("none") << QList<QRect>{} << QList<int>{};
        QTest::newRow("one line, right to left given")
            << QList<QRect>{{200, 10, 50, 20}, {100, 12, 50, 20}, {0, 8, 50, 20}} << QList<int>{2, 1, 0};
        QTest::newRow("lines") << QList<QRect>{{0, 100, 50, 20}, {300, 0, 50, 20}, {0, 50, 50, 20}}
                               << QList<int>{1, 2, 0};
        QTest::newRow("two columns read line by line")
            << QList<QRect>{{300, 40, 100, 300}, {0, 40, 100, 20}, {0, 80, 100, 200}, {300, 400, 50, 20},
                            {0, 403, 50, 20}}
            << QList<int>{1, 0, 2, 4, 3};
    }
    void readingOrderOfRects() {
        QFETCH(QList<QRect>, rects);
        QFETCH(QList<int>, order);
        QCOMPARE(readingOrder(rects), order);
    }

    void namedAndTabbedAsRead() {
        EditorFixture f;
        QVERIFY2(unnamedControls(f.wnd.get()).isEmpty(), qPrintable(unnamedControls(f.wnd.get()).join(", ")));
        QCOMPARE(f.wnd->BtnImgSort->accessibleName(), QStringLiteral("排序"));
        QCOMPARE(f.wnd->BtnUpImg->accessibleName(), QStringLiteral("上移此页"));
        QCOMPARE(f.wnd->PicMovieImg->accessibleName(), QStringLiteral("图片"));
        QCOMPARE(f.intro()->accessibleName(), QStringLiteral("解说"));

        QStringList chain;
        QWidget* w = f.wnd->BtnSave;
        do {
            if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != f.wnd->BtnSave);
        const QStringList expected{"BtnSave", "BtnExportTj", "DriveSelect", "FilePathList", "ListMoviePics",
                                   "TxtMovieIntro", "BtnImgCut", "BtnMovieCut", "BtnUpImg", "BtnImgSort",
                                   "BtnDownImg", "BtnPrePage", "BtnDelPage", "BtnDelMorePages",
                                   "BtnChangePage", "BtnInsertPage", "BtnNextPage"};
        chain.removeIf([&](const QString& name) { return !expected.contains(name); });
        QCOMPARE(chain, expected);
        VERIFY_DIALOGS(f.dialogs);
    }

    // Tool windows: controls without a caption by the label beside or above.
    void toolWindowNamed() {
        EditorFixture f;
        QVERIFY(f.wnd->openFolder(f.makeMovie("m", kImages, kScript)));
        f.wnd->BtnImgCut->click();
        QWidget* tool = nullptr;
        QTRY_VERIFY((tool = QApplication::activeWindow()) && tool != f.wnd.get());
        QVERIFY2(unnamedControls(tool).isEmpty(), qPrintable(unnamedControls(tool).join(", ")));
        QCOMPARE(tool->findChild<QWidget*>("TextImgCutRest")->accessibleName(), QStringLiteral("筛选出图片"));
        QCOMPARE(tool->findChild<QWidget*>("CheckStory_3")->accessibleName(), QStringLiteral("30%"));
        tool->close();
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
