// The operation journal over a real folder: a plan killed part-way is found
// with the moves it made, and finished or rolled back without replacing
// anything.

#include "model/operation_journal.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace kinoleaf;
using namespace kinoleaf::journal;
using namespace kinoleaf::test;

namespace {
QStringList filesIn(const QString& dir) {
    QStringList out;
    for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name)) out << f;
    for (const QString& f : QDir(dir + "/delete_image").entryList(QDir::Files, QDir::Name)) out << "delete_image/" + f;
    return out;
}

// A publish-like chain: rs_1 moves aside before b takes its name.
const Plan kPlan{QStringLiteral("发布"),
                 {"rs_1.jpg :x", "b.jpg :y", "c.jpg :z"},
                 {"rs_0.jpg :x", "rs_1.jpg :y", "delete_image/c.jpg"},
                 {{"rs_1.jpg", "rs_0.jpg"}, {"b.jpg", "rs_1.jpg"}, {"c.jpg", "delete_image/c.jpg"}}};
} // namespace

class TestOperationJournal : public QObject {
    Q_OBJECT
private slots:
    // Killed after k moves (the note of the last one possibly lost): found
    // with k done; finishing and rolling back both end in agreement.
    void killedPartWay_data() {
        QTest::addColumn<int>("made");
        QTest::addColumn<bool>("noteLost");
        for (int made = 0; made <= 3; ++made) {
            QTest::addRow("%d made", made) << made << false;
            if (made > 0) QTest::addRow("%d made, last note lost", made) << made << true;
        }
    }
    void killedPartWay() {
        QFETCH(int, made);
        QFETCH(bool, noteLost);
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        for (const char* name : {"rs_1.jpg", "b.jpg", "c.jpg"}) writeBytes(dir, name, name);
        // A child makes the moves and ends without a word, as a kill leaves it.
        const pid_t child = ::fork();
        if (child == 0) {
            std::optional<Operation> op = Operation::begin(dir, kPlan, nullptr);
            for (int i = 0; op && i < made; ++i) op->move(i);
            ::_exit(op ? 0 : 1);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        QCOMPARE(status, 0);
        if (noteLost) {
            QFile log(dir + "/" + kProgressFile);
            QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
            for (int i = 0; i < made - 1; ++i) log.write(QByteArray::number(i) + '\n');
        }
        std::optional<Unfinished> found = findUnfinished(dir);
        QVERIFY(found);
        QCOMPARE(found->done, made);
        QCOMPARE(found->plan.moves, kPlan.moves);
        QCOMPARE(recoveryQuestion(*found),
                 QStringLiteral("上次的操作没有完成：发布（已完成 %1 / 3）。完成它，还是恢复到操作之前？\n"
                                "“是”完成它，“否”恢复到操作之前。").arg(made));

        QTemporaryDir copy;
        QVERIFY(QDir().mkpath(copy.path()));
        for (const QString& f : filesIn(dir)) {
            QDir().mkpath(QFileInfo(copy.filePath(f)).absolutePath());
            QVERIFY(QFile::copy(dir + "/" + f, copy.filePath(f)));
        }
        const RecoveryResult back = rollBack(copy.path(), *found);
        QVERIFY(back.notMoved.isEmpty());
        QCOMPARE(back.rows, kPlan.rowsBefore);
        discard(copy.path());
        QCOMPARE(filesIn(copy.path()), (QStringList{"b.jpg", "c.jpg", "rs_1.jpg"}));
        QCOMPARE(readBytes(copy.filePath("rs_1.jpg")), QByteArray("rs_1.jpg"));

        const RecoveryResult done = finish(dir, *found);
        QVERIFY(done.notMoved.isEmpty());
        QCOMPARE(done.rows, kPlan.rowsAfter);
        discard(dir);
        QCOMPARE(filesIn(dir), (QStringList{"rs_0.jpg", "rs_1.jpg", "delete_image/c.jpg"}));
        QCOMPARE(readBytes(dir + "/rs_0.jpg"), QByteArray("rs_1.jpg"));
        QCOMPARE(readBytes(dir + "/rs_1.jpg"), QByteArray("b.jpg"));
        QVERIFY(!findUnfinished(dir));
    }

    // A completed or abandoned operation leaves nothing; a folder that takes
    // no journal refuses before anything changes; a plan reaching out of the
    // folder is refused, written or read.
    void refusalsAndCompletion() {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        writeBytes(dir, "a.jpg", "a");
        {
            std::optional<Operation> op = Operation::begin(dir, {"x", {}, {}, {{"a.jpg", "b.jpg"}}}, nullptr);
            QVERIFY(op && op->move(0));
        }
        QCOMPARE(filesIn(dir), QStringList{"b.jpg"});
        QString why;
        QVERIFY(!Operation::begin(dir, {"x", {}, {}, {{"../a.jpg", "b.jpg"}}}, &why));
        QCOMPARE(why, QStringLiteral("文件名或参数无效"));
        writeBytes(dir, kPlanFile, R"({"version":1,"operation":"x","moves":[["b.jpg","../../etc/x"]]})");
        QVERIFY(!findUnfinished(dir, &why));
        QCOMPARE(why, QStringLiteral("操作记录已损坏"));
        QFile::remove(dir + "/" + kPlanFile);
        ReadOnlyFolder readOnly(dir);
        if (!readOnly.ok()) QSKIP(qPrintable(readOnly.why()));
        QVERIFY(!Operation::begin(dir, {"x", {}, {}, {{"b.jpg", "c.jpg"}}}, &why));
        QCOMPARE(why, QStringLiteral("没有权限"));
        QCOMPARE(filesIn(dir), QStringList{"b.jpg"});
    }
};

QTEST_GUILESS_MAIN(TestOperationJournal)
#include "test_operation_journal.moc"
