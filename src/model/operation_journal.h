#pragma once
// The operation journal: a file-moving operation on a movie folder first
// writes its whole plan (the rows before and after, and every move) into a
// hidden file in the folder, synced with the folder, then moves the files,
// noting each move done, and removes the journal when it is complete. A
// process killed part-way leaves the journal behind; the next opening of
// the folder finishes the plan or rolls it back, so the folder, the rows
// and the script agree again and no file is replaced.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kinoleaf::journal {

inline const QString kPlanFile = QStringLiteral(".kinoleaf-operation.json");
inline const QString kProgressFile = QStringLiteral(".kinoleaf-operation.log");

struct Move {
    QString from;  // paths inside the movie folder, '/' between folders
    QString to;
    bool operator==(const Move&) const = default;
};

struct Plan {
    QString operation;  // what the user did, as the recovery question names it
    QStringList rowsBefore;
    QStringList rowsAfter;
    QList<Move> moves;
};

// A plan on its way: written and synced when made, each move noted when
// done, removed by complete(). Dropped without complete() (an operation that
// returned early) it is removed too, so only a killed process leaves one.
class Operation {
public:
    // Writes the plan; nullopt (why says it, in Chinese) when the folder
    // takes no journal, and then nothing may change in it.
    static std::optional<Operation> begin(const QString& folder, const Plan& plan, QString* why);
    Operation(Operation&& other) noexcept;
    Operation& operator=(Operation&&) = delete;
    ~Operation();

    // Makes move i of the plan (folders on the way are made); false, with
    // why, when it could not be made: nothing is replaced.
    bool move(int i, QString* why = nullptr);
    // The plan is carried out: the journal goes.
    void complete();
    const Plan& plan() const { return m_plan; }

private:
    Operation(QString folder, Plan plan, int progressFd);
    void close();

    QString m_folder;
    Plan m_plan;
    int m_progressFd = -1;
};

// What a killed operation left behind.
struct Unfinished {
    Plan plan;
    int done = 0;  // moves made: the plan's first ones
};

// The unfinished operation in the folder, if any. A journal that can't be
// read is reported through why and treated as none.
std::optional<Unfinished> findUnfinished(const QString& folder, QString* why = nullptr);

struct RecoveryResult {
    QStringList rows;         // the rows that go with the folder now
    QStringList notMoved;     // "name：reason" for moves that could not be made
};

// Makes the moves not made yet; the rows are the plan's after.
RecoveryResult finish(const QString& folder, const Unfinished& unfinished);
// Takes back the moves made, newest first; the rows are the plan's before.
RecoveryResult rollBack(const QString& folder, const Unfinished& unfinished);
// Removes the journal once the user's choice is carried out.
void discard(const QString& folder);

// "上次的操作没有完成：发布（已完成 1291 / 2000）。完成它，还是恢复到操作之前？"
QString recoveryQuestion(const Unfinished& unfinished);

} // namespace kinoleaf::journal
