#include "model/script_file.h"

#include "model/page_row.h"
#include "platform/gbk_codec.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace kinoleaf::script {

QStringList splitRows(const QString& text) {
    QStringList rows;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'\r') continue;
        if (i > start) rows.append(text.mid(start, i - start));
        if (i + 1 < n && text[i + 1] == u'\n') ++i;
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

ReadResult read(const QString& path) {
    ReadResult result;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        result.error = f.errorString();
        return result;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        result.error = f.errorString();
        return result;
    }
    // CR and LF never occur inside a GBK double-byte character, so cutting
    // the bytes into lines first keeps a broken sequence from swallowing a
    // line end.
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && bytes[i] != '\r') continue;
        if (i > start) result.rows.append(gbk::decode(bytes.mid(start, i - start)));
        if (i + 1 < n && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    result.ok = true;
    return result;
}

WriteResult write(const QString& path, const QStringList& rows) {
    WriteResult result;
    QSaveFile f(path);
    // Unbuffered, so a short write shows here: a buffered write that fails
    // only at commit can be lost and the truncated file committed.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = f.errorString();
        return result;
    }
    const QByteArray bytes = serialize(rows);
    if (f.write(bytes) != bytes.size()) {
        result.error = f.errorString();
        f.cancelWriting();
        return result;
    }
    if (f.error() != QFileDevice::NoError || !f.commit()) {
        result.error = f.errorString();
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
    QSet<QString> named;
    named.reserve(rows.size());
    for (const QString& r : rows) named.insert(imageNameOfRow(r));
    QStringList out;
    for (const QString& name : fileNames)
        if (isImageFileName(name) && !named.contains(name)) out.append(name);
    return out;
}

} // namespace kinoleaf::script
