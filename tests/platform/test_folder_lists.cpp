// The drive and folder lists driven as a user and the main window drive them.
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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

QTEST_MAIN(TestFolderLists)
#include "test_folder_lists.moc"
