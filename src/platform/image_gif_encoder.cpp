#include "platform/image_gif_encoder.h"

#include <QVector>

namespace kinoleaf {

namespace {

// Writes every pixel as a 9-bit literal code and clears the code table
// before the decoder would widen its codes, so no LZW matching is needed.
QByteArray literalCodes(const QImage& indexed) {
    constexpr int kClear = 256;
    constexpr int kEnd = 257;
    constexpr int kLiteralsPerClear = 250;  // the table grows one per code; 9 bits hold 254

    QByteArray bytes;
    quint32 bits = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        bits |= quint32(code) << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            bytes.append(char(bits & 0xff));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    int sinceClear = 0;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            if (sinceClear == 0) put(kClear);
            put(line[x]);
            if (++sinceClear == kLiteralsPerClear) sinceClear = 0;
        }
    }
    put(kEnd);
    if (bitCount > 0) bytes.append(char(bits & 0xff));
    return bytes;
}

} // namespace

QByteArray encodeSimpleGif(const QImage& image) {
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    QVector<QRgb> palette = indexed.colorTable();
    palette.resize(256);

    QByteArray out("GIF89a");
    auto put16 = [&](int v) { out.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    put16(indexed.width());
    put16(indexed.height());
    out.append(char(0xF7)).append('\0').append('\0');  // global palette of 256, 8 bits a channel
    for (QRgb c : palette) out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));

    out.append(char(0x2C));  // image descriptor: whole screen, no local palette
    put16(0);
    put16(0);
    put16(indexed.width());
    put16(indexed.height());
    out.append('\0').append(char(8));  // minimum code size

    const QByteArray codes = literalCodes(indexed);
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0').append(char(0x3B));
    return out;
}

} // namespace kinoleaf
