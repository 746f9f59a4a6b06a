#include "platform/gbk_codec.h"

#include <QStringDecoder>
#include <QStringView>
#include <QStringEncoder>

#include <array>

namespace kinoleaf::gbk {
namespace {
constexpr const char* kName = "GBK";

constexpr int kLeadFirst = 0x81, kLeadLast = 0xFE, kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr int kTrails = kTrailLast - kTrailFirst + 1;

// What the converter makes of every byte and byte pair on its own, asked once:
// GBK keeps no state between characters, so text that is only characters
// decodes character by character from these, several times faster than the
// converter. 0 marks a byte or pair that is no character by itself.
struct Table {
    bool usable = false;
    std::array<char16_t, 0x80> high{};  // single bytes 0x80..0xFF
    std::array<char16_t, (kLeadLast - kLeadFirst + 1) * kTrails> pair{};
};

Table buildTable() {
    Table t;
    QStringDecoder ascii(kName);
    QByteArray low(0x80, Qt::Uninitialized);
    for (int b = 0; b < 0x80; ++b) low[b] = char(b);
    const QString lowText = ascii.decode(low);
    if (ascii.hasError() || lowText.size() != 0x80) return t;
    for (int b = 0; b < 0x80; ++b)
        if (lowText[b].unicode() != b) return t;

    // Each probe ends in LF, which no sequence swallows: the answers come
    // back one a line.
    const qsizetype pairs = (kLeadLast - kLeadFirst + 1) * (kTrails - 1);
    QByteArray probes(0x80 * 2 + pairs * 3, Qt::Uninitialized);
    char* p = probes.data();
    for (int b = 0x80; b <= 0xFF; ++b) {
        *p++ = char(b);
        *p++ = '\n';
    }
    for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            if (trail == 0x7F) continue;
            *p++ = char(lead);
            *p++ = char(trail);
            *p++ = '\n';
        }
    }
    QStringDecoder dec(kName);
    const QString answers = dec.decode(probes);
    // The next answer, up to its LF; a single character or nothing.
    qsizetype at = 0;
    bool aligned = true;
    auto next = [&]() -> char16_t {
        const qsizetype end = answers.indexOf(u'\n', at);
        if (end < 0) {
            aligned = false;
            return 0;
        }
        const QStringView answer = QStringView(answers).mid(at, end - at);
        at = end + 1;
        if (answer.size() != 1 || answer[0] == QChar::ReplacementCharacter || answer[0].isSurrogate()) return 0;
        return answer[0].unicode();
    };
    for (int b = 0x80; b <= 0xFF; ++b) t.high[size_t(b - 0x80)] = next();
    for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            if (trail == 0x7F) continue;
            const char16_t c = next();
            // A byte that stands alone is never the start of a pair.
            t.pair[size_t((lead - kLeadFirst) * kTrails + (trail - kTrailFirst))] =
                t.high[size_t(lead - 0x80)] ? 0 : c;
        }
    }
    // Every probe answered, and nothing after the last.
    if (!aligned || at != answers.size()) return t;
    t.usable = true;
    return t;
}

const Table& table() {
    static const Table t = buildTable();
    return t;
}

} // namespace

qsizetype decodeClean(QByteArrayView bytes, char16_t* out) {
    const Table& t = table();
    if (!t.usable) return -1;
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = p + bytes.size();
    char16_t* o = out;
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
            continue;
        }
        if (const char16_t single = t.high[b - 0x80]) {
            *o++ = single;
            ++p;
            continue;
        }
        if (b < kLeadFirst || b > kLeadLast || end - p < 2) return -1;
        const uchar trail = p[1];
        if (trail < kTrailFirst || trail > kTrailLast) return -1;
        const char16_t c = t.pair[size_t((b - kLeadFirst) * kTrails + (trail - kTrailFirst))];
        if (!c) return -1;
        *o++ = c;
        p += 2;
    }
    return o - out;
}

QString decode(const QByteArray& bytes) {
    QString clean(bytes.size(), Qt::Uninitialized);
    const qsizetype n = decodeClean(bytes, reinterpret_cast<char16_t*>(clean.data()));
    if (n >= 0) {
        clean.truncate(n);
        return clean;
    }
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
