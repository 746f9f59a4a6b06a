#include "platform/exif_thumbnail.h"

#include <QtGlobal>

#include <algorithm>

namespace kinoleaf {

namespace {

// The TIFF block inside an Exif segment, read with its byte order. Every
// read is checked: the bytes come from whatever file the folder holds.
class TiffBlock {
public:
    TiffBlock(const uchar* data, qint64 size) : data_(data), size_(size) {}

    bool readHeader(qint64* firstIfd) {
        if (size_ < 8) return false;
        if (data_[0] == 'I' && data_[1] == 'I') bigEndian_ = false;
        else if (data_[0] == 'M' && data_[1] == 'M') bigEndian_ = true;
        else return false;
        quint16 magic = 0;
        quint32 offset = 0;
        if (!u16(2, &magic) || magic != 42 || !u32(4, &offset)) return false;
        *firstIfd = offset;
        return true;
    }

    bool u16(qint64 at, quint16* out) const {
        if (at < 0 || at + 2 > size_) return false;
        *out = bigEndian_ ? quint16(data_[at] << 8 | data_[at + 1]) : quint16(data_[at + 1] << 8 | data_[at]);
        return true;
    }
    bool u32(qint64 at, quint32* out) const {
        quint16 a = 0, b = 0;
        if (!u16(at, &a) || !u16(at + 2, &b)) return false;
        *out = bigEndian_ ? (quint32(a) << 16 | b) : (quint32(b) << 16 | a);
        return true;
    }
    // The value of a one-item SHORT or LONG entry.
    bool entryValue(qint64 entry, quint32* out) const {
        quint16 type = 0;
        quint32 count = 0;
        if (!u16(entry + 2, &type) || !u32(entry + 4, &count) || count != 1) return false;
        if (type == 3) {
            quint16 v = 0;
            if (!u16(entry + 8, &v)) return false;
            *out = v;
            return true;
        }
        return type == 4 && u32(entry + 8, out);
    }

    // Calls visit(tag, entry offset) for each entry of the IFD at offset;
    // false when the IFD does not fit. nextIfd gets the link to the next one.
    template <typename Visit>
    bool walkIfd(qint64 offset, Visit visit, quint32* nextIfd) const {
        quint16 count = 0;
        if (offset < 8 || !u16(offset, &count)) return false;
        const qint64 entries = offset + 2;
        if (entries + qint64(count) * 12 + 4 > size_) return false;
        for (qint64 i = 0; i < count; ++i) {
            quint16 tag = 0;
            u16(entries + i * 12, &tag);
            visit(tag, entries + i * 12);
        }
        return u32(entries + qint64(count) * 12, nextIfd);
    }

    qint64 size() const { return size_; }
    const uchar* data() const { return data_; }

private:
    const uchar* data_;
    qint64 size_;
    bool bigEndian_ = false;
};

std::optional<ExifThumbnailSpan> thumbnailInTiff(const TiffBlock& tiff, qint64 firstIfd) {
    ExifThumbnailSpan span;
    quint32 ifd1 = 0;
    const bool ifd0Read = tiff.walkIfd(
        firstIfd,
        [&](quint16 tag, qint64 entry) {
            quint32 value = 0;
            if (tag == 0x0112 && tiff.entryValue(entry, &value) && value >= 1 && value <= 8)
                span.orientation = int(value);
        },
        &ifd1);
    if (!ifd0Read || ifd1 == 0 || ifd1 == firstIfd) return std::nullopt;

    quint32 start = 0, length = 0, next = 0;
    const bool ifd1Read = tiff.walkIfd(
        ifd1,
        [&](quint16 tag, qint64 entry) {
            if (tag == 0x0201) tiff.entryValue(entry, &start);
            else if (tag == 0x0202) tiff.entryValue(entry, &length);
        },
        &next);
    if (!ifd1Read || start < 8 || length < 4 || qint64(start) + length > tiff.size()) return std::nullopt;
    const uchar* thumb = tiff.data() + start;
    if (thumb[0] != 0xFF || thumb[1] != 0xD8) return std::nullopt;
    span.offset = start;
    span.length = length;
    return span;
}

} // namespace

std::optional<ExifThumbnailSpan> findExifThumbnail(QByteArrayView head) {
    const auto* p = reinterpret_cast<const uchar*>(head.data());
    const qint64 size = head.size();
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8) return std::nullopt;
    qint64 pos = 2;
    while (pos + 4 <= size) {
        if (p[pos] != 0xFF) return std::nullopt;
        const uchar marker = p[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return std::nullopt;  // the picture's data: no EXIF past here
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            pos += 2;
            continue;
        }
        const qint64 length = p[pos + 2] << 8 | p[pos + 3];
        if (length < 2 || pos + 2 + length > size) return std::nullopt;
        const uchar* data = p + pos + 4;
        const qint64 dataSize = length - 2;
        static constexpr uchar kExif[] = {'E', 'x', 'i', 'f', 0, 0};
        if (marker == 0xE1 && dataSize >= 6 && std::equal(kExif, kExif + 6, data)) {
            const TiffBlock tiff(data + 6, dataSize - 6);
            TiffBlock reader = tiff;
            qint64 firstIfd = 0;
            if (!reader.readHeader(&firstIfd)) return std::nullopt;
            std::optional<ExifThumbnailSpan> span = thumbnailInTiff(reader, firstIfd);
            if (span) span->offset += pos + 4 + 6;
            return span;
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

} // namespace kinoleaf
