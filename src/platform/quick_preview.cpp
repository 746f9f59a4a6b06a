#include "platform/quick_preview.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>

namespace kinoleaf {

QImage applyExifOrientation(const QImage& image, int orientation) {
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.mirrored(false, true).transformed(QTransform().rotate(90));
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8: return image.transformed(QTransform().rotate(270));
    default: return image;
    }
}

QImage readExifThumbnail(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(kExifHeadBytes);
    const std::optional<ExifThumbnailSpan> span = findExifThumbnail(head);
    if (!span) return {};
    QByteArray bytes = head.mid(span->offset, span->length);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);  // turned below, as the main picture's EXIF says
    // A thumbnail is small; anything claiming more is not one.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > 1024 || size.height() > 1024) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    image = applyExifOrientation(image, span->orientation);
    image.convertTo(QImage::Format_RGB32);
    return image;
}

QImage readQuickPreview(const QString& path, const ThumbnailSource& source, int minSide) {
    if (source) {
        if (std::optional<QImage> thumb = source(path, minSide); thumb && !thumb->isNull()) {
            const QImage::Format wanted =
                thumb->hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
            if (thumb->format() != wanted) thumb->convertTo(wanted);
            return *thumb;
        }
    }
    return readExifThumbnail(path);
}

} // namespace kinoleaf
