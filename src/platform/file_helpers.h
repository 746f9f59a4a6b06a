#pragma once
// File-system helpers shared by every window: listings in natural name
// order, plain existence tests, path joining, and moves that never replace.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kinoleaf {

// Natural order: runs of digits compare by value, other text without regard
// to letter case, and names still equal after that compare exactly.
bool naturalLess(const QString& a, const QString& b);
void sortNatural(QStringList& names);

// A visible entry whose name isn't UTF-8 but the Windows Chinese code page
// (GBK): no path reaches it, so it is held by its bytes until renamed.
struct LegacyName {
    QByteArray raw;
    QString decoded;
    bool isFolder = false;
};

// Everything a folder load needs from one pass over the folder. Links count
// as what they point to; hidden entries (leading '.'), broken links, devices,
// pipes and sockets are left out, and so are names that are neither UTF-8
// nor clean GBK.
struct FolderListing {
    bool ok = false;           // false when the folder can't be read (or "")
    QStringList files;         // ordinary files, natural order
    QStringList subfolders;    // natural order
    QList<LegacyName> legacy;  // files and folders, natural order of decoded
};

FolderListing listFolder(const QString& folder);

// Names of the ordinary files of a folder (no folders, no hidden files),
// in natural order. ok (when given) is false when the folder can't be read.
QStringList listFiles(const QString& folder, bool* ok = nullptr);
// Names of the visible subfolders, in natural order.
QStringList listSubfolders(const QString& folder);

bool plainFileExists(const QString& path);
bool folderExists(const QString& path);

// A name that stays inside the folder it is joined to: not empty, not
// "." or "..", no separator. Names read from a script are only text.
bool isPlainFileName(const QString& name);

// Joins with the platform separator, never doubling it (a folder that
// already ends in one, like the root, gets none added).
QString joinPath(const QString& folder, const QString& name);

// Copies a file, replacing one of the same name, but never a link of that
// name. The copy is written as a PartFile and renamed into place, so neither
// a failure nor a kill at any instant leaves a half-written file under the
// target's name. Nothing is synced to disk: a caller copying many files
// calls syncToDisk once when all are written, before it reports success.
// error (when given) says why in Chinese.
bool copyFileReplacing(const QString& from, const QString& to, QString* error = nullptr);

// Writes to disk what the system still holds in memory for the files just
// written in a folder: on Linux the whole file system the folder is on, in
// one call (syncfs); elsewhere each named file, then the folder. False, with
// error (when given) in Chinese, when that can't be confirmed.
bool syncToDisk(const QString& folder, const QStringList& names, QString* error = nullptr);
using DiskSync = std::function<bool(const QString& folder, const QStringList& names, QString* error)>;
// Installs what syncToDisk does; an empty function restores the system's.
// Lets tests see when the sync happens and make it fail.
void setDiskSync(DiskSync sync);

// A file a copy wrote, as the copy left it: taking the copy back removes it
// only while it is still so, never a file the user changed or had before.
struct WrittenFile {
    QString path;
    qint64 size = -1;
    qint64 modifiedMs = 0;
    bool replaced = false;  // a file of that name was there before the copy
};
WrittenFile writtenFile(const QString& path, bool replaced);
bool unchangedSince(const WrittenFile& file);

// Renames or moves a file; refuses (returns false) when the target exists.
// error (when given) says why it failed, in Chinese.
bool moveFileNoReplace(const QString& from, const QString& to, QString* error = nullptr);

// A file written under a hidden temporary name beside its target and renamed
// over it only by commit(), so the target is never seen half-written; the
// temporary file goes when the object does without a commit. Unlike a save
// of what a user wrote, no sync to disk: meant for files that can be fetched
// again, where a sync per file would cost more than the writing.
class PartFile {
public:
    explicit PartFile(const QString& target) : m_target(target) {}
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool open();  // errno says why when false
    bool isOpen() const { return m_file.isOpen(); }
    bool write(const QByteArray& data);  // errno says why when false
    bool write(const char* data, qint64 size);
    bool flush();                        // so the file can be read back; errno says why
    bool commit();                       // errno says why when false
    const QFile& device() const { return m_file; }

private:
    QString m_target;
    QFile m_file;
};

} // namespace kinoleaf
