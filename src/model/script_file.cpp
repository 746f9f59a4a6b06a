#include "model/script_file.h"

#include "model/page_row.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"
#include "platform/gbk_codec.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace kinoleaf::script {

QStringList splitRows(const QString& text) {
    QStringList rows;
    const qsizetype n = text.size();
    // A file without any CR was made or edited on a system that ends lines
    // with LF alone: one row a line. Any CR keeps the rule of CR line ends.
    const char16_t end = text.contains(u'\r') ? u'\r' : u'\n';
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != end) continue;
        if (i > start) rows.append(text.mid(start, i - start));
        if (end == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) rows.append(text.mid(start));
    return rows;
}

QByteArray serialize(const QStringList& rows) {
    QString text;
    qsizetype size = 0;
    for (const QString& r : rows) size += r.size() + 2;
    text.reserve(size);
    for (const QString& r : rows) {
        if (r.isEmpty()) continue;
        text += r;
        text += QLatin1String("\r\n");
    }
    return gbk::encode(text);
}

QStringList rowsOfBytes(const QByteArray& bytes) {
    // Line ends are found in the bytes: CR and LF are never part of a GBK
    // pair. Each row is decoded by itself when the file is characters only;
    // any broken or cut-off sequence sends the whole file through the
    // converter as one text, the rule the rows follow regardless.
    const char* const data = bytes.constData();
    const qsizetype n = bytes.size();
    const char end = bytes.contains('\r') ? '\r' : '\n';
    QStringList rows;
    rows.reserve(qsizetype(std::count(data, data + n, end)) + 1);
    std::vector<char16_t> buffer;
    auto take = [&](qsizetype from, qsizetype to) {
        if (buffer.size() < size_t(to - from)) buffer.resize(size_t(to - from));
        const qsizetype units = gbk::decodeClean(QByteArrayView(data + from, to - from), buffer.data());
        if (units < 0) return false;
        rows.append(QString(reinterpret_cast<const QChar*>(buffer.data()), units));
        return true;
    };
    qsizetype start = 0;
    while (start < n) {
        const void* found = std::memchr(data + start, end, size_t(n - start));
        const qsizetype i = found ? static_cast<const char*>(found) - data : n;
        if (i > start && !take(start, i)) return splitRows(gbk::decode(bytes));
        start = i + 1;
        if (end == '\r' && start < n && data[start] == '\n') ++start;
    }
    return rows;
}

ReadResult read(const QString& path) {
    ReadResult result;
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly)) {
        result.error = fileErrorReason(f, errno);
        return result;
    }
    errno = 0;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        result.error = fileErrorReason(f, errno);
        return result;
    }
    // As one text: a double-byte character cut off by a line end then shows
    // as a replacement character instead of vanishing, so a save asks before
    // it writes the row differently.
    result.rows = rowsOfBytes(bytes);
    result.ok = true;
    return result;
}

WriteResult write(const QString& path, const QStringList& rows) {
    WriteResult result;
    // QSaveFile gives a folder in the way no system error of its own.
    if (folderExists(path)) {
        result.error = fileErrorReason(EISDIR);
        return result;
    }
    QSaveFile f(path);
    // Unbuffered, so a short write shows here: a buffered write that fails
    // only at commit can be lost and the truncated file committed.
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = fileErrorReason(f, errno);
        return result;
    }
    const QByteArray bytes = serialize(rows);
    errno = 0;
    if (f.write(bytes) != bytes.size()) {
        result.error = fileErrorReason(f, errno);
        f.cancelWriting();
        return result;
    }
    errno = 0;
    if (f.error() != QFileDevice::NoError || !f.commit()) {
        result.error = fileErrorReason(f, errno);
        return result;
    }
    result.ok = true;
    return result;
}

QString unsavableCharacters(const QStringList& rows) {
    QString all;
    for (const QString& r : rows) all += r;
    return gbk::unrepresentable(all);
}

QStringList imagesNotInRows(const QStringList& rows, const QStringList& fileNames) {
    // The rows' image names in an open-addressing table of views into the
    // rows, with their hashes: a name is looked up with mostly one look at
    // the table and no copy, where a set of strings costs an allocation per
    // name and several looks.
    struct Slot {
        const QChar* name = nullptr;  // nullptr: free
        quint32 size = 0;
        quint32 hash = 0;
    };
    size_t capacity = 16;
    while (capacity < size_t(rows.size()) + size_t(rows.size()) / 4) capacity *= 2;
    std::vector<Slot> table(capacity);
    const size_t mask = capacity - 1;
    auto find = [&](QStringView name, quint32 hash) -> Slot& {
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = table[i];
            if (!slot.name || (slot.hash == hash && QStringView(slot.name, slot.size) == name)) return slot;
        }
    };
    for (const QString& r : rows) {
        const QStringView name = imageNameViewOfRow(r);
        const quint32 hash = quint32(qHash(name));
        Slot& slot = find(name, hash);
        // An empty name still needs a pointer that marks the slot taken.
        if (!slot.name) slot = {name.isEmpty() ? r.constData() : name.data(), quint32(name.size()), hash};
    }
    QStringList out;
    for (const QString& name : fileNames)
        if (isImageFileName(name) && !find(name, quint32(qHash(QStringView(name)))).name) out.append(name);
    return out;
}

} // namespace kinoleaf::script
