// Picking another drive, on volumes simulated by folders.

#include "editor_fixture.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "support/test_files.h"

#include <QDir>
#include <QListWidget>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {
const QString kDeviceFault = QStringLiteral("O_O 设备无法读取咧");

struct DriveFixture : EditorFixture {
    DriveFixture() {
        volA = QDir(root.path()).filePath("volA");
        volB = QDir(root.path()).filePath("volB");
        gone = QDir(root.path()).filePath("gone");
        QDir().mkpath(volA);
        QDir().mkpath(volB);
        const QList<Volume> volumes = {{volA, "A"}, {volB, "B"}, {gone, "G"}};
        auto source = [volumes] { return volumes; };
        wnd->DriveSelect->setVolumeSource(source);
        wnd->FilePathList->setVolumeSource(source);
        movie = makeMovie("volA/movie", {"1.jpg"}, QStringList{"1.jpg :一"});
        makeMovie("volB", {"b.jpg"});
    }
    void pick(const QString& volumeRoot) {
        auto* box = wnd->DriveSelect;
        const int i = box->findData(volumeRoot);
        QVERIFY(i >= 0);
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    QString volA, volB, gone, movie;
};
} // namespace

class TestDriveChange : public QObject {
    Q_OBJECT
private slots:
    void cancelReturnsToTheLoadedDrive() {
        DriveFixture f;
        f.open(f.movie);
        f.typeIntro("x");
        f.dialogs.expectYesNoCancel(Answer::Cancel, kQuestion);
        f.pick(f.volB);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->DriveSelect->drive(), f.volA);
        QCOMPARE(f.wnd->FilePathList->path(), f.movie);
        QCOMPARE(f.rows(), QStringList({"1.jpg :一x"}));
        QVERIFY(f.wnd->editedThisMovie);
    }

    void noAsksAgainForTheFolder() {
        DriveFixture f;
        f.open(f.movie);
        f.typeIntro("x");
        f.dialogs.expectYesNoCancel(Answer::No, kQuestion).expectYesNoCancel(Answer::No, kQuestion);
        f.pick(f.volB);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->DriveSelect->drive(), f.volB);
        QCOMPARE(f.wnd->rootFilePath, f.volB);
        QCOMPARE(f.rows(), QStringList({"b.jpg :"}));
        QCOMPARE(test::readBytes(f.movie + "/ReelsketchScript.txt"), test::gbkBytes("1.jpg :一\r\n"));
    }

    void yesSavesOnceThenMoves() {
        DriveFixture f;
        f.open(f.movie);
        f.typeIntro("x");
        f.dialogs.expectYesNoCancel(Answer::Yes, kQuestion).expectMessage(QStringLiteral("图解脚本保存成功！"));
        f.pick(f.volB);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->rootFilePath, f.volB);
        QCOMPARE(test::readBytes(f.movie + "/ReelsketchScript.txt"), test::gbkBytes("1.jpg :一x\r\n"));
    }

    void cancelAtTheFolderQuestionIsNoDeviceFault() {
        DriveFixture f;
        f.open(f.movie);
        f.typeIntro("x");
        f.dialogs.expectYesNoCancel(Answer::No, kQuestion).expectYesNoCancel(Answer::Cancel, kQuestion);
        f.pick(f.volB);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->FilePathList->path(), f.movie);
        QCOMPARE(f.wnd->DriveSelect->drive(), f.volA);
        QVERIFY(f.wnd->editedThisMovie);
    }

    void unreadableDrive() {
        DriveFixture f;
        f.open(f.movie);
        f.dialogs.expectMessage(kDeviceFault);
        f.pick(f.gone);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->DriveSelect->drive(), f.volA);
        QCOMPARE(f.wnd->FilePathList->path(), f.movie);
        QCOMPARE(f.wnd->rootFilePath, f.movie);
    }

    void returningToADriveOpensItsLastFolder() {
        DriveFixture f;
        f.open(f.movie);
        f.pick(f.volB);
        QCOMPARE(f.wnd->rootFilePath, f.volB);
        f.pick(f.volA);
        QCOMPARE(f.wnd->FilePathList->path(), f.movie);
        QCOMPARE(f.wnd->rootFilePath, f.movie);
        VERIFY_DIALOGS(f.dialogs);
    }

    void cancelWithNoFolderLoadedKeepsTheShownDrive() {
        DriveFixture f;
        f.wnd->FilePathList->setPath(f.volA, false);
        f.wnd->DriveSelect->setDrive(f.volA);
        f.typeIntro("x");
        f.dialogs.expectYesNoCancel(Answer::Cancel, kQuestion);
        f.pick(f.volB);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.wnd->DriveSelect->drive(), f.volA);
        QCOMPARE(f.wnd->rootFilePath, QString());
    }
};

QTEST_MAIN(TestDriveChange)
#include "test_drive_change.moc"
