#pragma once
// Finds the thumbnail a camera embeds in a JPEG's EXIF segment, from the
// file's first bytes, without decoding anything. The bytes are whatever the
// file holds, so nothing they say is trusted.

#include <QByteArrayView>

#include <optional>

namespace kinoleaf {

// Where a JPEG's embedded EXIF thumbnail lies, read from the file's first
// bytes. Offsets are into the bytes given.
struct ExifThumbnailSpan {
    qsizetype offset = 0;
    qsizetype length = 0;
    int orientation = 1;  // EXIF orientation of the main picture, 1..8
};

// How many bytes of a file findExifThumbnail is given: the EXIF segment
// comes first in a camera's JPEG and can't be longer.
inline constexpr qsizetype kExifHeadBytes = 64 * 1024;

// Finds the IFD1 JPEG thumbnail of the first APP1 Exif segment of head.
// Nothing for anything else, including bytes cut short or malformed: every
// offset is checked against the segment before it is used.
std::optional<ExifThumbnailSpan> findExifThumbnail(QByteArrayView head);

} // namespace kinoleaf
