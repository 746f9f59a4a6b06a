#pragma once
// Script files are GBK (code page 936) whatever the system locale, so files
// made on Chinese Windows open unchanged and files we write open there.

#include <QByteArray>
#include <QString>

namespace kinoleaf::gbk {

// Invalid byte sequences, a sequence cut off at the end included, become
// U+FFFD; decoding never fails.
QString decode(const QByteArray& bytes);
// Characters GBK cannot hold become '?', as the ANSI writers do.
QByteArray encode(const QString& text);
// The distinct characters of text that GBK cannot hold, in order of first
// appearance (a surrogate pair counts as one character).
QString unrepresentable(const QString& text);

} // namespace kinoleaf::gbk
