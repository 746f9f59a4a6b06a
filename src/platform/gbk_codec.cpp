#include "platform/gbk_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kinoleaf::gbk {
namespace {
constexpr const char* kName = "GBK";
}

QString decode(const QByteArray& bytes) {
    QStringDecoder dec(kName);
    QString text = dec.decode(bytes);
    // The decoder holds a sequence cut off at the end as unfinished and
    // would drop it; a final LF completes it into a replacement character.
    text += dec.decode(QByteArrayView("\n", 1));
    text.chop(1);
    return text;
}

QByteArray encode(const QString& text) {
    QStringEncoder enc(kName);
    return enc.encode(text);
}

QString unrepresentable(const QString& text) {
    QString found;
    QStringEncoder whole(kName);
    (void)QByteArray(whole.encode(text));
    if (!whole.hasError()) return found;  // the common case: one pass, nothing lost
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size() &&
                             text[i + 1].isLowSurrogate()) ? 2 : 1;
        const QString ch = text.mid(i, n);
        i += n - 1;
        // ASCII and CJK ranges are always held; skip the encoder for them.
        if (n == 1 && ch[0].unicode() < 0x80) continue;
        if (found.contains(ch)) continue;
        QStringEncoder one(kName);
        (void)QByteArray(one.encode(ch));
        if (one.hasError()) found += ch;
    }
    return found;
}

} // namespace kinoleaf::gbk
