#pragma once
// File-system helpers shared by every window: listings in natural name
// order, plain existence tests, path joining, and moves that never replace.

#include <QString>
#include <QStringList>

namespace kinoleaf {

// Natural order: runs of digits compare by value, other text without regard
// to letter case, and names still equal after that compare exactly.
bool naturalLess(const QString& a, const QString& b);
void sortNatural(QStringList& names);

// Names of the ordinary files of a folder (no folders, no hidden files),
// in natural order. ok (when given) is false when the folder can't be read.
QStringList listFiles(const QString& folder, bool* ok = nullptr);
// Names of the visible subfolders, in natural order.
QStringList listSubfolders(const QString& folder);

bool plainFileExists(const QString& path);
bool folderExists(const QString& path);

// Joins with the platform separator, never doubling it (a folder that
// already ends in one, like the root, gets none added).
QString joinPath(const QString& folder, const QString& name);

// Renames or moves a file; refuses (returns false) when the target exists.
bool moveFileNoReplace(const QString& from, const QString& to);

} // namespace kinoleaf
