#pragma once
// Picture files for the image tests: encoded pages, noise that keeps a
// decoder busy, and bare headers claiming any size.

#include "support/test_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QRandomGenerator>
#include <QString>
#include <QtEndian>

namespace kinoleaf::test {

inline QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, 90)) qFatal("cannot encode %s", format);
    return bytes;
}

inline QByteArray be32(quint32 v) {
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

inline QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const char* type, const QByteArray& data) {
    const QByteArray typed = QByteArray(type, 4) + data;
    return be32(quint32(data.size())) + typed + be32(crc32(typed));
}

// A valid PNG header claiming any size, with a token of pixel data: enough
// for a reader to tell the size, far too little to decode.
inline QByteArray pngHeaderOnly(quint32 width, quint32 height) {
    QByteArray header = be32(width) + be32(height);
    header += QByteArray("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray(12, '\0')) + pngChunk("IEND", {});
}

// The header of an uncompressed 24-bit BMP; rows follow bottom-up.
inline QByteArray bmpHeader(qint32 width, qint32 height) {
    const quint32 rowBytes = (quint32(width) * 24 + 31) / 32 * 4;
    const quint32 pixelBytes = rowBytes * quint32(height);  // wraps for huge claims; unread then
    return "BM" + le32(54 + pixelBytes) + le32(0) + le32(54) + le32(40) + le32(quint32(width)) +
           le32(quint32(height)) + le16(1) + le16(24) + le32(0) + le32(pixelBytes) + le32(2835) +
           le32(2835) + le32(0) + le32(0);
}

// Noise keeps the decoder busy (some 15 ms for the default size) long
// enough for a test to act while it runs. Encoded once per size: previews
// are told apart by path, not content.
inline QString writeNoisyJpeg(const QString& dir, const QString& name, QSize size = {2400, 1800}) {
    static QHash<QPair<int, int>, QByteArray> encodedBySize;
    QByteArray& bytes = encodedBySize[{size.width(), size.height()}];
    if (bytes.isEmpty()) {
        QImage image(size, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < size.width(); ++x) line[x] = random.generate() | 0xff000000u;
        }
        bytes = encoded(image, "jpeg");
    }
    return writeBytes(dir, name, bytes);
}

} // namespace kinoleaf::test
