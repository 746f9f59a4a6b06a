#pragma once
// A picture to show at once while a page's full picture is still decoding:
// a thumbnail someone already made (a cache, or the one a camera embeds in
// its JPEG), scaled up by the picture box until the full picture replaces it.

#include "platform/exif_thumbnail.h"

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

namespace kinoleaf {

// A source of ready-made thumbnails (e.g. an on-disk thumbnail cache): the
// thumbnail of path with both sides at least minSide when it has one, else
// nothing. Called on the GUI thread while a key is handled, so it must only
// look things up, never decode the picture itself.
using ThumbnailSource = std::function<std::optional<QImage>(const QString& path, int minSide)>;

// Turns an image as EXIF orientation (1..8) asks, as the full decode does.
QImage applyExifOrientation(const QImage& image, int orientation);

// The file's embedded EXIF thumbnail, decoded and turned upright; a null
// image when there is none. Reads at most kExifHeadBytes.
QImage readExifThumbnail(const QString& path);

// The quick preview of path: source's thumbnail when it has one, else the
// embedded EXIF thumbnail, else a null image.
QImage readQuickPreview(const QString& path, const ThumbnailSource& source, int minSide);

} // namespace kinoleaf
