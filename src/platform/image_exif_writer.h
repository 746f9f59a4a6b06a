#pragma once
// Tests and measurements need JPEGs with an embedded EXIF thumbnail, as
// cameras write them; Qt's writer leaves EXIF out, so this adds one.

#include <QByteArray>
#include <QImage>

namespace kinoleaf {

// The APP1 Exif segment (marker included) of a TIFF block with IFD0 holding
// orientation (1..8; 0 leaves the tag out) and IFD1 pointing at
// thumbnailJpeg. Layout (offsets into the TIFF block, which starts 10 bytes
// into the segment): IFD0 at 8, IFD1 right after it, the thumbnail last.
QByteArray exifSegment(const QByteArray& thumbnailJpeg, int orientation, bool littleEndian = false);

// jpeg with exifSegment(...) put right after its start-of-image marker; the
// thumbnail is thumbnail written as a JPEG at quality 75. Empty when jpeg
// is not a JPEG.
QByteArray withExifThumbnail(const QByteArray& jpeg, const QImage& thumbnail, int orientation = 1,
                             bool littleEndian = false);

} // namespace kinoleaf
