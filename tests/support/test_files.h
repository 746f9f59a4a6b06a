#pragma once
// Small helpers for tests that work on real temporary folders.

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>

namespace kinoleaf::test {

// Writes raw bytes to dir/name (creating dir); returns the full path.
QString writeBytes(const QString& dir, const QString& name, const QByteArray& bytes);
QByteArray readBytes(const QString& path);
// Encodes text as GBK (lines are the caller's: put CR LF in yourself).
QByteArray gbkBytes(const QString& text);
// Writes a small solid-colour image; the format follows the extension
// (jpg, png, bmp, gif fall back to png data when the writer lacks gif).
QString writeImage(const QString& dir, const QString& name, QSize size = {8, 6},
                   QColor color = Qt::red);

#ifdef Q_OS_UNIX
// Entries named by raw bytes (GBK, as archives from Chinese Windows leave
// them), which Qt's paths can't reach.
bool makeRawFile(const QString& folder, const QByteArray& raw, const QByteArray& content);
bool makeRawFolder(const QString& folder, const QByteArray& raw);
bool rawExists(const QString& folder, const QByteArray& raw);
QByteArray readRaw(const QString& folder, const QByteArray& raw);  // "<missing>" when absent

// A temporary folder that also goes when it holds names Qt can't reach.
class RawTempDir {
public:
    RawTempDir();
    ~RawTempDir();
    RawTempDir(const RawTempDir&) = delete;
    RawTempDir& operator=(const RawTempDir&) = delete;
    QString path() const { return m_path; }

private:
    QString m_path;
};
#endif

// While alive, no file of this process may grow past the given size: a
// write beyond it fails part-way, as on a full disk, even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long long m_saved = -1;
};

// While alive, nothing in the folder can be made, renamed or removed, even
// by root: its mode loses the write bits, and for root (who ignores them)
// it is made immutable. ok() is false, with why(), where neither works:
// tests then skip.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool ok() const { return m_ok; }
    QString why() const { return m_why; }

private:
    QString m_folder;
    bool m_ok = false;
    bool m_immutable = false;
    QString m_why;
};

} // namespace kinoleaf::test
