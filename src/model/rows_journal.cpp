#include "model/rows_journal.h"

#include "model/script_file.h"
#include "platform/date_text.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cerrno>

namespace kinoleaf::rowsjournal {
namespace {

QString canonical(const QString& folder) {
    const QString c = QFileInfo(folder).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : c;
}

QJsonObject stampJson(const ScriptStamp& s) { return {{"size", s.size}, {"modifiedMs", s.modifiedMs}}; }
ScriptStamp stampFrom(const QJsonValue& v) {
    const QJsonObject o = v.toObject();
    return {qint64(o.value("size").toDouble(-1)), qint64(o.value("modifiedMs").toDouble(-1))};
}

} // namespace

ScriptStamp stampOf(const QString& movieFolder) {
    const QFileInfo info(joinPath(movieFolder, script::kFileName));
    if (!info.exists()) return {};
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

QString journalFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // Relative values are to be ignored, as the base directory rules say.
    if (state.isEmpty() || QDir::isRelativePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/kinoleaf");
}

QString journalPath(const QString& movieFolder) {
    const QByteArray key = QCryptographicHash::hash(canonical(movieFolder).toUtf8(), QCryptographicHash::Sha1);
    return journalFolder() + u'/' + QString::fromLatin1(key.toHex()) + QStringLiteral(".rows.json");
}

bool write(const Entry& entry, QString* why) {
    const QString path = journalPath(entry.movieFolder);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (why) *why = fileErrorReason(errno ? errno : EACCES);
        return false;
    }
    const QJsonObject root{{"version", 1},
                           {"folder", canonical(entry.movieFolder)},
                           {"base", stampJson(entry.base)},
                           {"written", entry.written.toUTC().toString(Qt::ISODateWithMs)},
                           {"rows", QJsonArray::fromStringList(entry.rows)}};
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Compact);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (why) *why = fileErrorReason(file, errno);
        return false;
    }
    return true;
}

std::optional<Entry> read(const QString& movieFolder) {
    QFile file(journalPath(movieFolder));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    if (root.value("version").toInt() != 1 || root.value("folder").toString() != canonical(movieFolder))
        return std::nullopt;
    Entry e;
    e.movieFolder = movieFolder;
    for (const QJsonValue& v : root.value("rows").toArray()) e.rows.append(v.toString());
    e.base = stampFrom(root.value("base"));
    e.written = QDateTime::fromString(root.value("written").toString(), Qt::ISODateWithMs);
    return e;
}

void remove(const QString& movieFolder) { QFile::remove(journalPath(movieFolder)); }

QString setAside(const QString& movieFolder) {
    const QString path = journalPath(movieFolder);
    if (!QFile::exists(path)) return {};
    QString stem = path.chopped(QStringLiteral(".rows.json").size()) + u'-' + fileNameDateText(today());
    QString target = stem + QStringLiteral(".rows.json");
    for (int n = 2; QFileInfo::exists(target) && n < 10000; ++n) target = stem + QStringLiteral("-%1.rows.json").arg(n);
    return moveFileNoReplace(path, target) ? target : QString();
}

int changesBetween(const QStringList& a, const QStringList& b) {
    const qsizetype common = std::min(a.size(), b.size());
    int changes = int(std::max(a.size(), b.size()) - common);
    for (qsizetype i = 0; i < common; ++i)
        if (a[i] != b[i]) ++changes;
    return changes;
}

QString question(int changes, bool scriptChangedSince) {
    QString text = QStringLiteral("上次没有保存就退出了，要恢复未保存的 %1 处修改吗？").arg(changes);
    if (scriptChangedSince)
        text += QStringLiteral("\n注意：这之后脚本文件在别处被保存过，恢复会用上次的修改代替它的内容（保存时才写入）。");
    return text;
}

} // namespace kinoleaf::rowsjournal
