#pragma once
// The rows journal: the page list of a movie with changes not saved yet,
// kept outside the movie folder ($XDG_STATE_HOME/kinoleaf, one file a movie
// folder, named by the folder's canonical path), so a killed editor loses
// no typed intro. A save or a clean close removes it.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace kinoleaf::rowsjournal {

// The script file as it was when the rows were loaded or last saved.
struct ScriptStamp {
    qint64 size = -1;       // -1: there was no script
    qint64 modifiedMs = -1;
    bool operator==(const ScriptStamp&) const = default;
};
ScriptStamp stampOf(const QString& movieFolder);

struct Entry {
    QString movieFolder;
    QStringList rows;
    ScriptStamp base;     // the script the unsaved rows started from
    QDateTime written;    // when the journal was written (UTC)
};

// $XDG_STATE_HOME/kinoleaf, by default ~/.local/state/kinoleaf.
QString journalFolder();
QString journalPath(const QString& movieFolder);

// Replaces the movie's journal whole (a temporary file renamed into place);
// false, with why, when it could not be written.
bool write(const Entry& entry, QString* why = nullptr);
std::optional<Entry> read(const QString& movieFolder);
void remove(const QString& movieFolder);
// Keeps a journal the user did not take, under a dated name beside it;
// returns that path ("" when there was nothing to keep).
QString setAside(const QString& movieFolder);

// How many rows differ between two page lists (by position, and rows one
// has beyond the other).
int changesBetween(const QStringList& a, const QStringList& b);

// "上次没有保存就退出了，要恢复未保存的 N 处修改吗？", and when the script
// was saved elsewhere since, a line that says so.
QString question(int changes, bool scriptChangedSince);

} // namespace kinoleaf::rowsjournal
