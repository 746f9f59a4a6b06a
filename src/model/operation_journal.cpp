#include "model/operation_journal.h"

#include "platform/file_errors.h"
#include "platform/file_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kinoleaf::journal {
namespace {

QJsonArray toJson(const QStringList& list) { return QJsonArray::fromStringList(list); }

QStringList stringsOf(const QJsonValue& value) {
    QStringList out;
    for (const QJsonValue& v : value.toArray()) out.append(v.toString());
    return out;
}

// A path of the plan inside the folder: no way out of it.
bool insideFolder(const QString& relative) {
    if (relative.isEmpty() || QDir::isAbsolutePath(relative)) return false;
    for (const QString& part : relative.split(u'/'))
        if (!isPlainFileName(part)) return false;
    return true;
}

QString pathIn(const QString& folder, const QString& relative) {
    return QDir::toNativeSeparators(joinPath(folder, relative));
}

// The folder's entries reach the disk with it: a plan whose file is synced
// but whose name is not could vanish with the power.
void syncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(folder);
#endif
}

int openProgress(const QString& folder) {
#ifdef Q_OS_UNIX
    return ::open(QFile::encodeName(joinPath(folder, kProgressFile)).constData(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
#else
    Q_UNUSED(folder);
    return 0;
#endif
}

bool makeMove(const QString& folder, const Move& m, QString* why) {
    const QString to = pathIn(folder, m.to);
    const QString parent = QFileInfo(to).absolutePath();
    if (!folderExists(parent) && !QDir().mkpath(parent)) {
        if (why) *why = fileErrorReason(errno ? errno : EACCES);
        return false;
    }
    return moveFileNoReplace(pathIn(folder, m.from), to, why);
}

bool exists(const QString& folder, const QString& relative) {
    return QFileInfo::exists(pathIn(folder, relative));
}

} // namespace

std::optional<Operation> Operation::begin(const QString& folder, const Plan& plan, QString* why) {
    for (const Move& m : plan.moves) {
        if (!insideFolder(m.from) || !insideFolder(m.to)) {
            if (why) *why = QStringLiteral("文件名或参数无效");
            return std::nullopt;
        }
    }
    QJsonArray moves;
    for (const Move& m : plan.moves) moves.append(QJsonArray{m.from, m.to});
    const QJsonObject root{{"version", 1},
                           {"operation", plan.operation},
                           {"rowsBefore", toJson(plan.rowsBefore)},
                           {"rowsAfter", toJson(plan.rowsAfter)},
                           {"moves", moves}};
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Compact);
    // The progress first: a plan on disk always has its (empty) progress.
    errno = 0;
    const int fd = openProgress(folder);
    if (fd < 0) {
        if (why) *why = fileErrorReason(errno);
        return std::nullopt;
    }
    QSaveFile file(joinPath(folder, kPlanFile));  // synced before it is renamed into place
    errno = 0;
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size();
    const int writeErrno = errno;
    if (written) written = file.commit();
    if (!written) {
        if (why) *why = fileErrorReason(file, writeErrno ? writeErrno : errno);
#ifdef Q_OS_UNIX
        ::close(fd);
#endif
        QFile::remove(joinPath(folder, kProgressFile));
        return std::nullopt;
    }
    syncFolder(folder);
    return Operation(folder, plan, fd);
}

Operation::Operation(QString folder, Plan plan, int progressFd)
    : m_folder(std::move(folder)), m_plan(std::move(plan)), m_progressFd(progressFd) {}

Operation::Operation(Operation&& other) noexcept
    : m_folder(std::move(other.m_folder)), m_plan(std::move(other.m_plan)), m_progressFd(other.m_progressFd) {
    other.m_progressFd = -1;
    other.m_folder.clear();
}

Operation::~Operation() {
    if (!m_folder.isEmpty()) complete();
}

bool Operation::move(int i, QString* why) {
    if (!makeMove(m_folder, m_plan.moves[i], why)) return false;
#ifdef Q_OS_UNIX
    // Not synced: a kill keeps what was written; after a power cut the
    // opening finds moves made beyond the count by looking at the files.
    const QByteArray line = QByteArray::number(i) + '\n';
    [[maybe_unused]] const ssize_t n = ::write(m_progressFd, line.constData(), size_t(line.size()));
#endif
    return true;
}

void Operation::close() {
#ifdef Q_OS_UNIX
    if (m_progressFd >= 0) ::close(m_progressFd);
#endif
    m_progressFd = -1;
}

void Operation::complete() {
    close();
    discard(m_folder);
    m_folder.clear();
}

std::optional<Unfinished> findUnfinished(const QString& folder, QString* why) {
    QFile file(joinPath(folder, kPlanFile));
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        if (why) *why = fileErrorReason(file, errno);
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonObject root = QJsonDocument::fromJson(file.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError || root.value("version").toInt() != 1) {
        if (why) *why = QStringLiteral("操作记录已损坏");
        return std::nullopt;
    }
    Unfinished u;
    u.plan.operation = root.value("operation").toString();
    u.plan.rowsBefore = stringsOf(root.value("rowsBefore"));
    u.plan.rowsAfter = stringsOf(root.value("rowsAfter"));
    for (const QJsonValue& v : root.value("moves").toArray()) {
        const QJsonArray pair = v.toArray();
        const Move m{pair.at(0).toString(), pair.at(1).toString()};
        if (!insideFolder(m.from) || !insideFolder(m.to)) {
            if (why) *why = QStringLiteral("操作记录已损坏");
            return std::nullopt;
        }
        u.plan.moves.append(m);
    }
    // Moves are made in order: the count is the last one noted, plus any
    // made after it whose note did not reach the disk.
    QFile progress(joinPath(folder, kProgressFile));
    if (progress.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : progress.readAll().split('\n')) {
            bool ok = false;
            const int i = line.toInt(&ok);
            if (ok && i + 1 > u.done && i < u.plan.moves.size()) u.done = i + 1;
        }
    }
    while (u.done < u.plan.moves.size()) {
        const Move& m = u.plan.moves[u.done];
        if (exists(folder, m.from) || !exists(folder, m.to)) break;
        ++u.done;
    }
    return u;
}

RecoveryResult finish(const QString& folder, const Unfinished& unfinished) {
    RecoveryResult result{unfinished.plan.rowsAfter, {}};
    for (qsizetype i = unfinished.done; i < unfinished.plan.moves.size(); ++i) {
        const Move& m = unfinished.plan.moves[i];
        QString why;
        if (!exists(folder, m.from) && exists(folder, m.to)) continue;  // made before the kill
        if (!makeMove(folder, m, &why)) result.notMoved.append(m.from + u'：' + why);
    }
    return result;
}

RecoveryResult rollBack(const QString& folder, const Unfinished& unfinished) {
    RecoveryResult result{unfinished.plan.rowsBefore, {}};
    for (int i = unfinished.done - 1; i >= 0; --i) {
        const Move& m = unfinished.plan.moves[i];
        QString why;
        if (!makeMove(folder, {m.to, m.from}, &why)) result.notMoved.append(m.to + u'：' + why);
    }
    return result;
}

void discard(const QString& folder) {
    QFile::remove(joinPath(folder, kPlanFile));
    QFile::remove(joinPath(folder, kProgressFile));
    syncFolder(folder);
}

QString recoveryQuestion(const Unfinished& unfinished) {
    return QStringLiteral("上次的操作没有完成：%1（已完成 %2 / %3）。完成它，还是恢复到操作之前？\n"
                          "“是”完成它，“否”恢复到操作之前。")
        .arg(unfinished.plan.operation)
        .arg(unfinished.done)
        .arg(unfinished.plan.moves.size());
}

} // namespace kinoleaf::journal
