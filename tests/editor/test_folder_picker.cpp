// The folder picker and its new-folder dialog on real temporary folders:
// every way of closing, names refused or reported as existing, a folder
// made and entered.

#include "editor/FolderPickerWnd.h"
#include "editor/NewFolderWnd.h"
#include "platform/dir_list_box.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

struct PickerFixture {
    QTemporaryDir root;
    ScriptedDialogs dialogs;
    QWidget owner;
    QStringList ran;  // the folders 存 储 handed over
    std::unique_ptr<FolderPickerWnd> picker;
    QString movie;

    PickerFixture() {
        owner.show();
        picker = std::make_unique<FolderPickerWnd>(FolderPickerWnd::Kind::SaveAs, &owner,
                                                   [this](FolderPickerWnd&, const QString& f) { ran.append(f); });
        QDir(root.path()).mkdir("movie");
        picker->openAt(movie = QFileInfo(root.filePath("movie")).canonicalFilePath());
    }
    NewFolderWnd* dialog(const QString& typed) {
        picker->BtnNewFile->click();
        QApplication::setActiveWindow(picker->newFolderWnd());  // focus lives in the active window
        QTest::keyClicks(picker->newFolderWnd()->TextFileName, typed);
        return picker->newFolderWnd();
    }
};

} // namespace

class TestFolderPicker : public QObject {
    Q_OBJECT
private slots:
    void closing_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"ok", "cancel", "close box", "escape"}) QTest::newRow(how) << how;
    }
    void closing() {
        QFETCH(QString, how);
        PickerFixture f;
        QVERIFY(f.picker->isVisible() && !f.owner.isEnabled() && f.picker->DirList->path() == f.movie);
        if (how == "ok") f.picker->BtnOk->click();
        else if (how == "cancel") f.picker->BtnCancel->click();
        else if (how == "close box") f.picker->close();
        else QTest::keyClick(f.picker->DirList, Qt::Key_Escape);
        QCOMPARE(f.ran, how == "ok" ? QStringList{f.movie} : QStringList{});
        QVERIFY(!f.picker->isVisible() && f.owner.isEnabled());
        f.picker->openAt("");  // no movie folder: home
        QCOMPARE(f.picker->DirList->path(), QFileInfo(QDir::homePath()).canonicalFilePath());
    }

    void forbiddenCharacters_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"tab", "click"}) QTest::newRow(how) << how;
    }
    void forbiddenCharacters() {
        QFETCH(QString, how);
        PickerFixture f;
        NewFolderWnd* d = f.dialog("a:b");
        // once: the emptied box is not reported as existing as well
        f.dialogs.expectMessage(QStringLiteral("文件夹名称中不能含有：\\ / : * ? < > | \""));
        if (how == "tab") QTest::keyClick(d->TextFileName, Qt::Key_Tab);
        else QTest::mouseClick(d->BtnOk, Qt::LeftButton);
        QVERIFY(d->TextFileName->text().isEmpty() && d->TextFileName->hasFocus() && d->isVisible());
        QVERIFY(QDir(f.movie).isEmpty());
        VERIFY_DIALOGS(f.dialogs);
    }

    void namingTheNewFolder() {
        PickerFixture f;
        writeBytes(f.movie, "x.jpg", "x");
        NewFolderWnd* d = f.dialog("x.jpg");
        const QString tooLong(300, u'n');
        f.dialogs.expectMessage(QStringLiteral("文件夹：x.jpg 已经存在！"))
            .expectMessage(QStringLiteral("文件夹： 已经存在！"))  // "" is the folder itself
            .expectMessage(QStringLiteral("无法新建文件夹“%1”：文件名太长").arg(tooLong));
        d->BtnOk->click();
        QVERIFY(d->TextFileName->text().isEmpty());
        d->BtnOk->click();
        d->TextFileName->setText(tooLong);
        d->BtnOk->click();
        QVERIFY(d->TextFileName->text() == tooLong && d->isVisible() && !f.picker->isEnabled());  // to be corrected
        d->TextFileName->setText("Season 1");
        d->BtnOk->click();
        const QString made = f.movie + "/Season 1";
        QVERIFY(QFileInfo(made).isDir() && f.picker->DirList->path() == made);
        QVERIFY(!d->isVisible() && f.picker->isEnabled() && !f.owner.isEnabled());
        // cancelled: the picker stays where it was; opened again, the box starts empty
        f.dialog("other")->BtnCancel->click();
        QVERIFY(!QFile::exists(made + "/other") && f.picker->DirList->path() == made && f.picker->isEnabled());
        QVERIFY(f.dialog("")->TextFileName->text().isEmpty());
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestFolderPicker)
#include "test_folder_picker.moc"
