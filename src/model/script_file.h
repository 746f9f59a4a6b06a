#pragma once
// The script file: one page row per line, GBK, CR LF after every line.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinoleaf::script {

inline const QString kFileName = QStringLiteral("ReelsketchScript.txt");

// Lines end at CR or CR LF; a lone LF stays in the row; empty lines are
// skipped; nothing is trimmed; a last line without an end still counts.
// A text without any CR has LF line ends instead.
QStringList splitRows(const QString& text);
// The rows of a script file's bytes: splitRows of their GBK decoding.
QStringList rowsOfBytes(const QByteArray& bytes);
// Every non-empty row followed by CR LF, GBK-encoded; no rows, no bytes.
QByteArray serialize(const QStringList& rows);

struct ReadResult {
    bool ok = false;
    QStringList rows;
    QString error;  // why the file could not be read (in Chinese), when !ok
};
ReadResult read(const QString& path);

struct WriteResult {
    bool ok = false;
    QString error;
};
// Writes a temporary file beside the target and then replaces the target,
// so a failed or interrupted save leaves the old script whole.
WriteResult write(const QString& path, const QStringList& rows);

// The distinct characters of the rows that GBK cannot hold.
QString unsavableCharacters(const QStringList& rows);

// Names (in listing order) of image files that no row names, compared
// exactly; these are the rows a folder load appends after the script's.
QStringList imagesNotInRows(const QStringList& rows, const QStringList& fileNames);

} // namespace kinoleaf::script
