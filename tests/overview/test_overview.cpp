// The overview on a real main window: it follows every change of the rows
// as that change, selects both ways, and deletes and moves pages as one
// undo step each.

#include "editor/MovieHistory.h"
#include "../editor/editor_fixture.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewWnd.h"
#include "overview/thumbnail_provider.h"
#include "platform/aic_alpha_image.h"
#include "platform/image_loader.h"
#include "platform/thumbnail_cache.h"
#include "support/test_files.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

OverviewWnd* openOverview(EditorFixture& f) {
    f.list()->setFocus();
    QTest::keyClick(f.list(), Qt::Key_F4);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("OverviewWnd") && w->isVisible()) {
            auto* o = static_cast<OverviewWnd*>(w);
            // The tiles are laid out when the event loop runs.
            if (!QTest::qWaitForWindowExposed(o)) return nullptr;
            QCoreApplication::processEvents();
            o->view()->doItemsLayout();
            return o;
        }
    return nullptr;
}

// Showing a page may write its row back with an empty intro ("b.jpg :"):
// compared by image names.
QStringList namesOf(const QStringList& rows) {
    QStringList names;
    for (const QString& r : rows) names << r.section(QStringLiteral(" :"), 0, 0);
    return names;
}

QPoint centreOf(OverviewWnd* o, int row) { return o->view()->visualRect(o->model()->index(row, 0)).center(); }

} // namespace

class TestOverview : public QObject {
    Q_OBJECT
    QTemporaryDir cache;
    const QStringList images{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"};
    const QStringList script{"a.jpg :第一页", "b.jpg", "c.jpg :c", "d.jpg :d", "e.jpg :", "f.jpg :f"};

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", cache.path().toUtf8()); }

    void opensOnF4AndShowsThePages() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", images, script);
        test::writeBytes(dir, "bad.jpg", "not a picture");
        f.open(dir);
        // The new picture is added as a page when the folder opens.
        QVERIFY(f.rows().last().startsWith("bad.jpg"));
        f.wnd->appendRows({"gone.jpg :y"});
        OverviewWnd* o = openOverview(f);
        QVERIFY(o);
        QCOMPARE(f.wnd->findChild<QPushButton*>("BtnOverview")->text(), QStringLiteral("总览"));
        OverviewModel* m = o->model();
        QCOMPARE(m->rowCount(), 8);
        QCOMPARE(m->index(0, 0).data(OverviewModel::PageNumberRole).toInt(), 1);
        QCOMPARE(m->index(0, 0).data(OverviewModel::IntroRole).toString(), QStringLiteral("第一页"));
        QCOMPARE(m->index(1, 0).data(OverviewModel::IntroRole).toString(), QString());
        QCOMPARE(m->index(4, 0).data(OverviewModel::IntroRole).toString(), QString());
        QCOMPARE(m->imagePath(2), dir + "/c.jpg");

        QVERIFY(o->thumbnails()->waitForIdle(10000));
        QTRY_COMPARE(m->index(0, 0).data(OverviewModel::ThumbStateRole).toInt(), int(Thumbnail::Ready));
        QVERIFY(!m->index(0, 0).data(Qt::DecorationRole).value<QImage>().isNull());
        QCOMPARE(m->index(6, 0).data(OverviewModel::ThumbStateRole).toInt(), int(Thumbnail::Broken));
        QCOMPARE(m->index(7, 0).data(OverviewModel::ThumbStateRole).toInt(), int(Thumbnail::Missing));
        // Painting every kind of tile, placeholders included, stays quiet.
        o->view()->viewport()->repaint();

        // F4 again, or Esc, closes it.
        QTest::keyClick(o->view(), Qt::Key_F4);
        QVERIFY(!o->isVisible());
        QVERIFY(openOverview(f));
        QTest::keyClick(o->view(), Qt::Key_Escape);
        QVERIFY(!o->isVisible());

        // Another folder: the open overview shows its pages.
        QVERIFY(openOverview(f));
        const QString other = f.makeMovie("n", {"x.jpg", "y.jpg"}, QStringList{"x.jpg :", "y.jpg :"});
        f.open(other);
        QVERIFY(o->isVisible());
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->imagePath(1), other + "/y.jpg");
    }

    void followsEachRowChangeAsItself() {
        EditorFixture f;
        f.open(f.makeMovie("m", images, script));
        OverviewWnd* o = openOverview(f);
        QVERIFY(o);
        OverviewModel* m = o->model();
        QSignalSpy reset(m, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(m, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(m, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(m, &QAbstractItemModel::dataChanged);

        f.wnd->setSelectedRow(1);
        QTest::mouseClick(f.wnd->BtnInsertPage, Qt::LeftButton);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(m->rowCount(), 7);
        QCOMPARE(m->index(3, 0).data(OverviewModel::PageNumberRole).toInt(), 4);

        QTest::mouseClick(f.wnd->BtnDelPage, Qt::LeftButton);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(m->rowCount(), 6);

        f.wnd->setSelectedRow(2);
        QTest::mouseClick(f.wnd->BtnUpImg, Qt::LeftButton);  // a move: two rows change
        QCOMPARE(m->imagePath(1), f.wnd->rootFilePath + "/c.jpg");
        QCOMPARE(m->imagePath(2), f.wnd->rootFilePath + "/b.jpg");

        // A rename as publishing makes: the row's picture is asked for anew.
        const int before = changed.count();
        f.wnd->setRowText(0, "001.jpg :第一页");
        QCOMPARE(changed.count(), before + 1);
        QCOMPARE(m->imagePath(0), f.wnd->rootFilePath + "/001.jpg");
        QVERIFY(o->thumbnails()->waitForIdle(10000));
        QCOMPARE(m->index(0, 0).data(OverviewModel::ThumbStateRole).toInt(), int(Thumbnail::Missing));
        QCOMPARE(reset.count(), 0);

        // Replacing every row is the one change that is a new list.
        f.wnd->replaceRows({"e.jpg :e"});
        QCOMPARE(reset.count(), 1);
        QCOMPARE(m->rowCount(), 1);
    }

    void selectsBothWays() {
        EditorFixture f;
        f.open(f.makeMovie("m", images, script));
        OverviewWnd* o = openOverview(f);
        QVERIFY(o);
        QAbstractItemView* v = o->view();
        // A click shows the page in the main window.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, centreOf(o, 3));
        QCOMPARE(f.wnd->selectedRow(), 3);
        QCOMPARE(o->selectedRows(), QList<int>{3});
        // Ctrl adds to the selection and leaves the page.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(o, 5));
        QCOMPARE(o->selectedRows(), (QList<int>{3, 5}));
        QCOMPARE(f.wnd->selectedRow(), 3);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, centreOf(o, 1));
        QCOMPARE(f.wnd->selectedRow(), 3);
        QVERIFY(o->selectedRows().size() >= 3);
        // The main window's page change is followed here.
        QTest::mouseClick(f.wnd->BtnNextPage, Qt::LeftButton);
        QCOMPARE(f.wnd->selectedRow(), 4);
        QCOMPARE(v->currentIndex().row(), 4);
        QCOMPARE(o->selectedRows(), QList<int>{4});
    }

    void deleteKeyRemovesSelectedPagesAsOneStep() {
        EditorFixture f;
        QStringList rows = script;
        rows << "a.jpg :a again";  // a's image stays: another page shows it
        const QString dir = f.makeMovie("m", images, rows);
        f.open(dir);
        OverviewWnd* o = openOverview(f);
        QVERIFY(o);
        const int steps = f.wnd->history()->stack().count();
        auto* sel = o->view()->selectionModel();
        sel->select(o->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        sel->select(o->model()->index(3, 0), QItemSelectionModel::Select);
        const QStringList loaded = f.rows();
        QTest::keyClick(o->view(), Qt::Key_Delete);
        QCOMPARE(namesOf(f.rows()), (QStringList{"b.jpg", "c.jpg", "e.jpg", "f.jpg", "a.jpg"}));
        QVERIFY(QFile::exists(dir + "/a.jpg"));
        QVERIFY(QFile::exists(dir + "/delete_image/d.jpg"));
        QVERIFY(!QFile::exists(dir + "/d.jpg"));
        QCOMPARE(f.wnd->history()->stack().count(), steps + 1);
        QCOMPARE(f.wnd->history()->stack().undoText(), QStringLiteral("删除 2 页"));
        QCOMPARE(o->model()->rowCount(), 5);

        f.wnd->history()->undo();
        QCOMPARE(namesOf(f.rows()), namesOf(loaded));
        QVERIFY(QFile::exists(dir + "/d.jpg"));
        QVERIFY(!QFile::exists(dir + "/delete_image/d.jpg"));
    }

    void movingAGroupIsOneStep() {
        EditorFixture f;
        f.open(f.makeMovie("m", images, script));
        OverviewWnd* o = openOverview(f);
        QVERIFY(o);
        const int steps = f.wnd->history()->stack().count();
        const QStringList loaded = f.rows();
        auto* sel = o->view()->selectionModel();
        sel->select(o->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        sel->select(o->model()->index(2, 0), QItemSelectionModel::Select);
        // Onto a selected page: nowhere to go.
        QVERIFY(!o->moveSelectedAfter(2));
        QVERIFY(o->moveSelectedAfter(4));
        QCOMPARE(f.rows(), (QStringList{loaded[1], loaded[3], loaded[4], loaded[0], loaded[2], loaded[5]}));
        QCOMPARE(f.wnd->history()->stack().count(), steps + 1);
        QCOMPARE(f.wnd->history()->stack().undoText(), QStringLiteral("移动 2 页"));
        QCOMPARE(f.wnd->selectedRow(), 3);
        QCOMPARE(o->selectedRows(), (QList<int>{3, 4}));
        f.wnd->history()->undo();
        QCOMPARE(f.rows(), loaded);
    }

    // Wherever the view's edges fall, only the tiles on view are asked for,
    // never the rest of the movie.
    void visibleRowsStayOnView() {
        EditorFixture f;
        f.open(f.makeMovie("m", images, script));
        QStringList many;
        for (int i = 0; i < 3000; ++i) many << QStringLiteral("gone%1.jpg :x").arg(i);
        f.wnd->appendRows(many);
        OverviewWnd* o = openOverview(f);
        QVERIFY(o);
        o->resize(700, 500);
        QCoreApplication::processEvents();
        QScrollBar* bar = o->view()->verticalScrollBar();
        QVERIFY(bar->maximum() > 1000);
        for (int v = 0; v <= bar->maximum(); v += 37) {
            bar->setValue(v);
            const auto [first, last] = o->view()->visibleRows();
            QVERIFY2(first >= 0 && last - first < 100, qPrintable(QStringLiteral("%1: %2..%3").arg(v).arg(first).arg(last)));
        }
    }

    // The main window's picture box borrows the shared cache while a page decodes.
    void aDecodingPageShowsItsCachedThumbnail() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", images, script);
        const QString path = dir + "/f.jpg";
        QImage thumb(128, 96, QImage::Format_RGB32);
        thumb.fill(Qt::green);
        QVERIFY(thumbs::writeThumbnail(path, *thumbs::fileMTime(path), thumb, thumbs::Flavor::Normal));
        // No decode runs, not even a neighbour's prefetch: the page can
        // only show what the cache holds.
        holdImageWork(true);
        f.open(dir);
        f.wnd->setSelectedRow(5);
        const QString shown = f.wnd->PicMovieImg->quickPreviewPath();
        holdImageWork(false);
        QCOMPARE(shown, path);
    }
};

QTEST_MAIN(TestOverview)
#include "test_overview.moc"
