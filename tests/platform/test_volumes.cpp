// Volumes: which mounts count as drives, and which drive holds a path.
#include "platform/volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinoleaf;

class TestVolumes : public QObject {
    Q_OBJECT
private slots:
    void thisMachineStartsAtRootAndHoldsEveryPath();
    void userVolumeFilter_data();
    void userVolumeFilter();
    void volumeOfPicksDeepestRootAtFolderBoundary();
};

void TestVolumes::thisMachineStartsAtRootAndHoldsEveryPath() {
    const QList<Volume> volumes = mountedVolumes();
    QVERIFY(!volumes.isEmpty());
    QCOMPARE(volumes.first().root, QDir::rootPath());
    QStringList roots;
    for (const Volume& v : volumes) {
        QVERIFY2(QFileInfo(v.root).isDir() && !roots.contains(v.root), qPrintable(v.root));
        roots.append(v.root);
    }
    QTemporaryDir tmp;
    QVERIFY(roots.contains(volumeOf(tmp.path())));
}

void TestVolumes::userVolumeFilter_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<bool>("shown");
    QTest::newRow("root on overlay") << "/" << QByteArray("overlay") << QByteArray("overlay") << true;
    QTest::newRow("usb stick") << "/media/u/STICK" << QByteArray("vfat") << QByteArray("/dev/sdb1") << true;
    QTest::newRow("udisks media") << "/run/media/u/D" << QByteArray("exfat") << QByteArray("/dev/sdc1") << true;
    QTest::newRow("network share") << "/mnt/share" << QByteArray("cifs") << QByteArray("//nas/films") << true;
    QTest::newRow("cgroup") << "/sys/fs/cgroup/cpu" << QByteArray("cgroup") << QByteArray("cgroup") << false;
    QTest::newRow("tmpfs") << "/dev/shm" << QByteArray("tmpfs") << QByteArray("tmpfs") << false;
    QTest::newRow("snap image") << "/snap/core/1" << QByteArray("squashfs") << QByteArray("/dev/loop3") << false;
    QTest::newRow("disk under /run") << "/run/foo" << QByteArray("ext4") << QByteArray("/dev/sdd1") << false;
}

void TestVolumes::userVolumeFilter() {
    QFETCH(QString, root);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, device);
    QFETCH(bool, shown);
    QCOMPARE(isUserVolume(root, type, device), shown);
}

void TestVolumes::volumeOfPicksDeepestRootAtFolderBoundary() {
    QTemporaryDir tmp;
    const QString base = QFileInfo(tmp.path()).canonicalFilePath();
    for (const char* sub : {"vol/inner/x", "vol2x/y", "plain"}) QVERIFY(QDir(base).mkpath(sub));
    QVERIFY(QFile::link(base + "/vol/inner", base + "/plain/link"));
    const QList<Volume> volumes{{"/", {}}, {base + "/vol", {}}, {base + "/vol/inner", {}},
                                {base + "/vol2", {}}};

    QCOMPARE(volumeOf(base + "/vol/inner/x", volumes), base + "/vol/inner");
    QCOMPARE(volumeOf(base + "/vol/inner/../", volumes), base + "/vol");
    // "vol2" is a text prefix of "vol2x" but not its folder.
    QCOMPARE(volumeOf(base + "/vol2x/y", volumes), QStringLiteral("/"));
    // A link belongs where it leads; a missing path to the volume above it.
    QCOMPARE(volumeOf(base + "/plain/link", volumes), base + "/vol/inner");
    QCOMPARE(volumeOf(base + "/vol/not/there", volumes), base + "/vol");
    QCOMPARE(volumeOf(QString(), volumes), QString());
    QCOMPARE(volumeOf(base + "/vol", QList<Volume>{{base + "/other", {}}}), QString());
}

QTEST_GUILESS_MAIN(TestVolumes)
#include "test_volumes.moc"
