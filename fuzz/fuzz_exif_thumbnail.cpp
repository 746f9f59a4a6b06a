// libFuzzer entry point for the EXIF thumbnail finder: any bytes, as the head
// of a file, give nothing or a span inside them that starts a JPEG.

#include "platform/exif_thumbnail.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView head(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<kinoleaf::ExifThumbnailSpan> span = kinoleaf::findExifThumbnail(head);
    if (!span) return 0;
    if (span->offset < 0 || span->length < 4 || span->offset + span->length > head.size()) std::abort();
    if (std::uint8_t(head[span->offset]) != 0xFF || std::uint8_t(head[span->offset + 1]) != 0xD8) std::abort();
    if (span->orientation < 1 || span->orientation > 8) std::abort();
    return 0;
}
