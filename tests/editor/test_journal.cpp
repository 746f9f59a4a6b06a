// The rows journal: unsaved rows outlive a killed editor and are offered
// back at the next opening of the folder; a save or a clean close ends them.

#include "editor/editor_fixture.h"
#include "editor/journal_keeper.h"
#include "model/rows_journal.h"
#include "support/test_files.h"

#include <QDir>
#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {
const QStringList kRows{"a.jpg :一", "b.jpg :二"};

// The editor as a kill leaves it: its journal on disk, nothing closed.
void typeAndDie(EditorFixture& f, const QString& dir) {
    f.open(dir);
    f.typeIntro(QStringLiteral("改"));
    f.wnd->journalKeeper()->flush();
    QVERIFY(QFile::exists(rowsjournal::journalPath(dir)));
    f.wnd.reset(new PicMovieWnd);
}
} // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void init() { qputenv("XDG_STATE_HOME", QDir::temp().filePath("kinoleaf-test-state").toUtf8()); }

    void typedIntrosComeBack() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg"}, kRows);
        typeAndDie(f, dir);
        f.dialogs.expectYesNo(Answer::Yes, rowsjournal::question(1, false));
        f.open(dir);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.rows(), (QStringList{"a.jpg :一改", "b.jpg :二"}));
        QVERIFY(f.wnd->editedThisMovie);
        // saved: the journal goes, and the next opening asks nothing
        QVERIFY(f.wnd->SaveScript());
        QVERIFY(!QFile::exists(rowsjournal::journalPath(dir)));
        f.wnd.reset(new PicMovieWnd);
        f.open(dir);
        QCOMPARE(f.rows(), (QStringList{"a.jpg :一改", "b.jpg :二"}));
        VERIFY_DIALOGS(f.dialogs);
    }

    // Declined, the journal is kept aside under a dated name; a script saved
    // elsewhere meanwhile is named in the question.
    void declinedJournalsAreKeptAside() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg"}, kRows);
        typeAndDie(f, dir);
        writeBytes(dir, "ReelsketchScript.txt", gbkBytes("a.jpg :别处\r\nb.jpg :二\r\n"));
        f.dialogs.expectYesNo(Answer::No, rowsjournal::question(1, true));
        f.open(dir);
        VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(f.rows(), (QStringList{"a.jpg :别处", "b.jpg :二"}));
        QVERIFY(!QFile::exists(rowsjournal::journalPath(dir)));
        const QStringList kept = QDir(rowsjournal::journalFolder()).entryList({"*-*.rows.json"});
        QVERIFY2(!kept.isEmpty(), "the declined journal is kept");
    }

    // Closing with the changes let go, or a folder left that way, ends it.
    void changesLetGoEndTheJournal() {
        EditorFixture f;
        const QString dir = f.makeMovie("m", {"a.jpg", "b.jpg"}, kRows);
        f.open(dir);
        f.typeIntro(QStringLiteral("改"));
        f.wnd->journalKeeper()->flush();
        f.dialogs.expectYesNoCancel(Answer::No, kQuestion);
        QVERIFY(f.wnd->close());
        QVERIFY(!QFile::exists(rowsjournal::journalPath(dir)));
        VERIFY_DIALOGS(f.dialogs);
    }
};

QTEST_MAIN(TestJournal)
#include "test_journal.moc"
