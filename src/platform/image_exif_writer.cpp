#include "platform/image_exif_writer.h"

#include <QBuffer>

namespace kinoleaf {

namespace {

void putBig16(QByteArray& out, quint16 v) {
    out.append(char(v >> 8)).append(char(v & 0xFF));
}

// Writes TIFF values in the block's byte order.
struct TiffWriter {
    QByteArray out;
    bool little;

    void put16(quint16 v) {
        if (little) out.append(char(v & 0xFF)).append(char(v >> 8));
        else putBig16(out, v);
    }
    void put32(quint32 v) {
        put16(quint16(little ? v & 0xFFFF : v >> 16));
        put16(quint16(little ? v >> 16 : v & 0xFFFF));
    }
    // One IFD entry of a single SHORT (type 3) or LONG (type 4).
    void putEntry(quint16 tag, quint16 type, quint32 value) {
        put16(tag);
        put16(type);
        put32(1);
        if (type == 3) {
            put16(quint16(value));
            put16(0);
        } else {
            put32(value);
        }
    }
};

} // namespace

QByteArray exifSegment(const QByteArray& thumbnailJpeg, int orientation, bool littleEndian) {
    TiffWriter w{littleEndian ? QByteArray("II\x2A\0", 4) : QByteArray("MM\0\x2A", 4), littleEndian};
    w.put32(8);  // IFD0 right after the header
    const quint16 ifd0Entries = orientation > 0 ? 1 : 0;
    const quint32 ifd1 = 8 + 2 + ifd0Entries * 12 + 4;
    w.put16(ifd0Entries);
    if (orientation > 0) w.putEntry(0x0112, 3, quint32(orientation));
    w.put32(ifd1);
    const quint32 thumbAt = ifd1 + 2 + 3 * 12 + 4;
    w.put16(3);
    w.putEntry(0x0103, 3, 6);  // compression: JPEG
    w.putEntry(0x0201, 4, thumbAt);
    w.putEntry(0x0202, 4, quint32(thumbnailJpeg.size()));
    w.put32(0);  // no IFD2
    const QByteArray tiff = w.out + thumbnailJpeg;

    QByteArray segment("\xFF\xE1", 2);
    putBig16(segment, quint16(2 + 6 + tiff.size()));
    segment.append("Exif\0\0", 6);
    return segment + tiff;
}

QByteArray withExifThumbnail(const QByteArray& jpeg, const QImage& thumbnail, int orientation, bool littleEndian) {
    if (jpeg.size() < 4 || uchar(jpeg[0]) != 0xFF || uchar(jpeg[1]) != 0xD8) return {};
    QByteArray thumbJpeg;
    QBuffer buffer(&thumbJpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!thumbnail.save(&buffer, "jpeg", 75)) return {};
    return jpeg.left(2) + exifSegment(thumbJpeg, orientation, littleEndian) + jpeg.mid(2);
}

} // namespace kinoleaf
