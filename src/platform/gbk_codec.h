#pragma once
// Script files are GBK (code page 936) whatever the system locale, so files
// made on Chinese Windows open unchanged and files we write open there.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kinoleaf::gbk {

// Bytes that are characters only (no broken or unmapped sequence, none cut
// off at the end) into out, which holds at least bytes.size() units: the
// count written, or -1 when a sequence is no character, which decode() then
// reads as the converter does. What decode() gives for such bytes, faster.
qsizetype decodeClean(QByteArrayView bytes, char16_t* out);
// Invalid byte sequences, a sequence cut off at the end included, become
// U+FFFD; decoding never fails.
QString decode(const QByteArray& bytes);
// Characters GBK cannot hold become '?', as the ANSI writers do.
QByteArray encode(const QString& text);
// The distinct characters of text that GBK cannot hold, in order of first
// appearance (a surrogate pair counts as one character).
QString unrepresentable(const QString& text);

} // namespace kinoleaf::gbk
