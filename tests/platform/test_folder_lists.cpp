// The drive and folder lists driven as a user and the main window drive them.
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "platform/legacy_names.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kinoleaf;

namespace {

QStringList rowTexts(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) texts << list.item(i)->text();
    return texts;
}

int rowOf(const QListWidget& list, const QString& text) { return rowTexts(list).indexOf(text); }

void doubleClickRow(QListWidget& list, int row) {
    QVERIFY(row >= 0);
    list.doItemsLayout();  // rows are laid out lazily, as the next paint would
    const QPoint at = list.visualItemRect(list.item(row)).center();
    // What a window system delivers: a click, then a second press as a
    // double-click, then its release.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestFolderLists : public QObject {
    Q_OBJECT
private slots:
    void init();
    void setPathAcceptsOnlyListableFolders();
    void setPathRefusesLockedFolder();
    void rowsShowChainThenVisibleSubfoldersInNaturalOrder();
    void rebuildingRaisesNoListSignals();
    void doubleClickAndEnterOpenOnce();
    void changeHandlerCanPutPathBack();
    void remembersCurrentFolderPerVolume();
    void setDriveIsSilentAndUserPickEmitsOnce();
    void listingIsTheOneTheRowsCameFrom();
    void legacyFoldersShowReadableAndAskToBeRenamed();

private:
    QString mk(const QString& sub) {
        const QString p = m_base + '/' + sub;
        if (!QDir().mkpath(p)) qFatal("mkpath %s", qPrintable(p));
        return p;
    }
    VolumeSource fakeVolumes() {
        return [this] { return m_volumes; };
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_base;
    QList<Volume> m_volumes;
};

void TestFolderLists::init() {
    m_tmp = std::make_unique<QTemporaryDir>();
    m_base = QFileInfo(m_tmp->path()).canonicalFilePath();
    m_volumes = {{"/", {}}, {mk("volA"), "FILMS"}, {mk("volB"), {}}};
}

void TestFolderLists::setPathAcceptsOnlyListableFolders() {
    mk("sub/deeper");
    const QString sub = m_base + "/sub";
    QFile(m_base + "/file.txt").open(QIODevice::WriteOnly);
    DirListBox list;
    QSignalSpy changed(&list, &DirListBox::Change);

    QVERIFY(list.setPath(m_base));
    QCOMPARE(list.path(), m_base);
    // The same folder written differently is no change.
    QVERIFY(list.setPath(m_base + "/"));
    QVERIFY(list.setPath(m_base + "/sub/.."));
    QCOMPARE(changed.count(), 1);

    QVERIFY(list.setPath("sub/deeper/"));
    QCOMPARE(list.path(), sub + "/deeper");
    QVERIFY(list.setPath("../.."));
    QCOMPARE(list.path(), m_base);
    QCOMPARE(changed.count(), 3);

    const QStringList rowsBefore = rowTexts(list);
    for (const QString& bad : {QString(), m_base + "/missing", m_base + "/file.txt",
                               QStringLiteral("missing")})
        QVERIFY2(!list.setPath(bad), qPrintable(bad));
    QCOMPARE(list.path(), m_base);
    QCOMPARE(rowTexts(list), rowsBefore);

    QVERIFY(list.setPath(sub, false));
    QCOMPARE(list.path(), sub);
    QCOMPARE(changed.count(), 3);
    QVERIFY(list.setPath("/"));
    QCOMPARE(list.path(), QStringLiteral("/"));
}

void TestFolderLists::setPathRefusesLockedFolder() {
    mk("locked/inside");
    const QString locked = m_base + "/locked";
    const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const auto restore = qScopeGuard([&] { QFile::setPermissions(locked, open); });
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    if (QFileInfo(locked).isReadable()) QSKIP("permissions don't stop this user (root)");

    DirListBox list;
    QVERIFY(list.setPath(m_base));
    QSignalSpy changed(&list, &DirListBox::Change);
    QVERIFY(!list.setPath(locked));
    QVERIFY(!list.setPath(locked + "/inside"));
    QCOMPARE(list.path(), m_base);
    // Locked after it was remembered: the drive pick lands above it.
    QVERIFY(QFile::setPermissions(locked, open));
    QVERIFY(list.setPath(locked + "/inside"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    QVERIFY(list.setPath(m_base));
    QCOMPARE(list.currentFolderOn("/"), m_base);
    QCOMPARE(changed.count(), 2);
}

void TestFolderLists::rowsShowChainThenVisibleSubfoldersInNaturalOrder() {
    const QString volA = m_base + "/volA", movies = mk("volA/movies");
    for (const char* name : {"ep10", "ep2", "Ep1", ".hidden"}) mk(QString("volA/movies/") + name);
    QFile(movies + "/notes.txt").open(QIODevice::WriteOnly);

    DirListBox list;
    list.setVolumeSource(fakeVolumes());
    QVERIFY(list.setPath(movies));
    QCOMPARE(rowTexts(list), (QStringList{volA, "movies", "Ep1", "ep2", "ep10"}));
    QList<int> levels;
    for (int i = 0; i < list.count(); ++i) levels << list.item(i)->data(DirListBox::LevelRole).toInt();
    QCOMPARE(levels, (QList<int>{0, 1, 2, 2, 2}));
    QCOMPARE(list.item(0)->data(DirListBox::PathRole).toString(), volA);
    QCOMPARE(list.item(4)->data(DirListBox::PathRole).toString(), movies + "/ep10");
    QCOMPARE(list.currentFolderRow(), 1);
    QVERIFY(list.item(1)->isSelected());

    // On the system volume the chain starts at "/".
    list.setVolumeSource(mountedVolumes);
    QVERIFY(list.setPath(m_base));
    const QStringList parts = m_base.split('/', Qt::SkipEmptyParts);
    QCOMPARE(rowTexts(list).mid(0, parts.size() + 1), QStringList{"/"} + parts);
}

void TestFolderLists::rebuildingRaisesNoListSignals() {
    mk("a");
    DirListBox list;
    QSignalSpy changed(&list, &DirListBox::Change);
    QSignalSpy rowChanged(&list, &QListWidget::currentRowChanged);
    QSignalSpy selection(&list, &QListWidget::itemSelectionChanged);
    QVERIFY(list.setPath(m_base, false));
    QVERIFY(list.setPath(m_base + "/a", false));
    list.refresh();
    QCOMPARE(changed.count() + rowChanged.count() + selection.count(), 0);
}

void TestFolderLists::doubleClickAndEnterOpenOnce() {
    mk("b/inner");
    const QString gone = mk("gone");
    DirListBox list;
    list.resize(300, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(list.setPath(m_base, false));
    QSignalSpy changed(&list, &DirListBox::Change);
    QString pathWhenSignalled;
    connect(&list, &DirListBox::Change, [&] { pathWhenSignalled = list.path(); });

    // Removed after it was listed: nothing opens and the row goes.
    QVERIFY(QDir(gone).removeRecursively());
    doubleClickRow(list, rowOf(list, "gone"));
    QCOMPARE(rowOf(list, "gone"), -1);
    QCOMPARE(changed.count(), 0);

    doubleClickRow(list, rowOf(list, "b"));
    QCOMPARE(pathWhenSignalled, m_base + "/b");
    QCOMPARE(changed.count(), 1);
    doubleClickRow(list, list.currentFolderRow());  // already open
    QCOMPARE(changed.count(), 1);

    list.setCurrentRow(rowOf(list, "inner"));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.path(), m_base + "/b/inner");
    QCOMPARE(changed.count(), 2);

    doubleClickRow(list, rowOf(list, QFileInfo(m_base).fileName()));  // an ancestor
    QCOMPARE(list.path(), m_base);
    QCOMPARE(changed.count(), 3);
}

void TestFolderLists::changeHandlerCanPutPathBack() {
    mk("b");
    DirListBox list;
    list.resize(300, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(list.setPath(m_base, false));
    // As the window does on Cancel: rebuilds the rows inside the
    // double-click that opened the folder.
    int changes = 0;
    connect(&list, &DirListBox::Change, [&] { ++changes; QVERIFY(list.setPath(m_base, false)); });
    doubleClickRow(list, rowOf(list, "b"));
    QCOMPARE(changes, 1);
    QCOMPARE(list.path(), m_base);
    QVERIFY(rowOf(list, "b") > list.currentFolderRow());
}

void TestFolderLists::remembersCurrentFolderPerVolume() {
    const QString a = mk("volA/x/y"), b = mk("volB/z");
    const QString volA = m_base + "/volA", volB = m_base + "/volB";
    DirListBox list;
    list.setVolumeSource(fakeVolumes());
    QCOMPARE(list.currentFolderOn(volA), volA);  // never visited

    QVERIFY(list.setPath(a));
    QVERIFY(list.setPath(b, false));  // quiet changes count too
    QCOMPARE(list.currentFolderOn(volA + "/"), a);
    QCOMPARE(list.currentFolderOn(volB), b);

    // Removed since: the nearest folder still there.
    QVERIFY(QDir(volA + "/x/y").removeRecursively());
    QCOMPARE(list.currentFolderOn(volA), volA + "/x");
    QVERIFY(list.setPath(volA));
    QCOMPARE(list.currentFolderOn(volA), volA);  // the latest, not the deepest
}

void TestFolderLists::setDriveIsSilentAndUserPickEmitsOnce() {
    const QString volA = m_base + "/volA", volB = m_base + "/volB";
    mk("volA/deep/er");
    DriveListBox box;
    box.setVolumeSource(fakeVolumes());
    QCOMPARE(box.itemText(0), QStringLiteral("/  (root)"));
    QCOMPARE(box.itemText(1), volA + "  [FILMS]");
    QCOMPARE(box.itemText(2), volB);
    QSignalSpy changed(&box, &DriveListBox::Change);
    QSignalSpy indexChanged(&box, &QComboBox::currentIndexChanged);
    QString driveWhenSignalled;
    connect(&box, &DriveListBox::Change, [&] { driveWhenSignalled = box.drive(); });

    QVERIFY(box.setDrive(volA + "/deep/er"));
    QCOMPARE(box.drive(), volA);
    QVERIFY(box.setDrive("/usr"));
    QCOMPARE(box.drive(), QStringLiteral("/"));
    QVERIFY(box.setDrive(volA));
    QVERIFY(!box.setDrive(QString()));
    QCOMPARE(box.drive(), volA);
    QCOMPARE(changed.count() + indexChanged.count(), 0);

    QTest::keyClick(&box, Qt::Key_Down);  // the user picks the next drive
    QCOMPARE(changed.count(), 1);
    QCOMPARE(driveWhenSignalled, volB);
    emit box.activated(box.currentIndex());  // picks the shown one again
    QCOMPARE(changed.count(), 1);
    // The window sets it back (Cancel); the same pick again is a change again.
    QVERIFY(box.setDrive(volA));
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(changed.count(), 2);

    // A volume mounted after the list was filled is found without a refresh.
    const QString volC = mk("volC");
    m_volumes.append({volC, "NEW"});
    QVERIFY(box.setDrive(volC));
    QCOMPARE(box.drive(), volC);
    // With no volume holding the path the list keeps what it showed.
    m_volumes.removeFirst();
    box.refresh();
    QVERIFY(!box.setDrive("/usr"));
    QCOMPARE(box.drive(), volC);
    QCOMPARE(changed.count(), 2);
}

void TestFolderLists::listingIsTheOneTheRowsCameFrom() {
    const QString dir = mk("movie");
    mk("movie/a");
    test::writeBytes(dir, "1.jpg", "x");
    DirListBox list;
    QVERIFY(list.setPath(dir, false));
    QVERIFY(list.listing().ok);
    QCOMPARE(list.listing().files, QStringList{"1.jpg"});
    QCOMPARE(list.listing().subfolders, QStringList{"a"});

    // Kept, not read again: later changes show only after a refresh.
    test::writeBytes(dir, "2.jpg", "x");
    mk("movie/b");
    QVERIFY(list.setPath(dir, false));  // the same folder is no change
    list.setVolumeSource(fakeVolumes());
    QCOMPARE(list.listing().files, QStringList{"1.jpg"});
    QCOMPARE(rowOf(list, "b"), -1);
    list.refresh();
    QCOMPARE(list.listing().files, (QStringList{"1.jpg", "2.jpg"}));
    QVERIFY(rowOf(list, "b") > list.currentFolderRow());

    QVERIFY(list.setPath(dir + "/a", false));
    QVERIFY(list.listing().ok && list.listing().files.isEmpty());
}

void TestFolderLists::legacyFoldersShowReadableAndAskToBeRenamed() {
#ifndef Q_OS_UNIX
    QSKIP("names that aren't Unicode only occur on Unix file systems");
#else
    const QByteArray first = test::gbkBytes("第1集"), third = test::gbkBytes("第3集");
    const QString dir = mk("movie");
    const QByteArray base = QFile::encodeName(dir) + '/';
    // Named by bytes Qt can't reach: removed the same way after the test.
    const auto cleanup = qScopeGuard([&] {
        for (const QByteArray& raw : {first, third, test::gbkBytes("图.jpg")})
            ::remove((base + raw).constData());
    });
    mk("movie/a");
    mk("movie/第2集");
    QVERIFY(::mkdir((base + first).constData(), 0755) == 0);
    QVERIFY(::mkdir((base + third).constData(), 0755) == 0);
    const int picture =
        ::open((base + test::gbkBytes("图.jpg")).constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(picture >= 0);
    ::close(picture);

    DirListBox list;
    list.resize(300, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(list.setPath(dir, false));
    const int folderRow = list.currentFolderRow();
    // Among the others by the name a user reads; a legacy file shows nowhere.
    QCOMPARE(rowTexts(list).mid(folderRow + 1), (QStringList{"a", "第1集", "第2集", "第3集"}));
    const QListWidgetItem* legacy = list.item(rowOf(list, "第1集"));
    QCOMPARE(legacy->data(DirListBox::RawNameRole).toByteArray(), first);
    QVERIFY(legacy->font().italic());
    QVERIFY(legacy->toolTip().contains("GBK"));
    QVERIFY(!list.item(rowOf(list, "第2集"))->font().italic());

    QSignalSpy changed(&list, &DirListBox::Change);
    QSignalSpy asked(&list, &DirListBox::legacyFolderActivated);
    doubleClickRow(list, rowOf(list, "第1集"));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked[0], (QVariantList{dir, first, QStringLiteral("第1集")}));
    QCOMPARE(list.path(), dir);
    QCOMPARE(changed.count(), 0);

    // As the window does: rename, then open the folder by its new name,
    // from inside the signal.
    QString renamedTo;
    connect(&list, &DirListBox::legacyFolderActivated, this,
            [&](const QString& parent, const QByteArray& raw, const QString& decoded) {
                renamedTo = renameLegacyName(parent, raw, decoded);
                QVERIFY(list.setPath(renamedTo));
            });
    list.setCurrentRow(rowOf(list, "第3集"));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(asked.count(), 2);
    QCOMPARE(renamedTo, dir + "/第3集");
    QCOMPARE(list.path(), renamedTo);
    QCOMPARE(changed.count(), 1);
#endif
}

QTEST_MAIN(TestFolderLists)
#include "test_folder_lists.moc"
