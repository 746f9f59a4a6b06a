#include "platform/preview_decoder.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace kinoleaf {

namespace {

// The two formats QPainter draws without converting.
QImage toPaintFormat(QImage image) {
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted) image.convertTo(wanted);
    return image;
}

QImage scaleSmooth(const QImage& image, QSize size) {
    if (image.size() == size) return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Area averaging costs per source pixel; a nearest-pixel pass to twice the
// final size first leaves the smoothing pass little to read.
QImage scaleTwoStep(const QImage& image, QSize size) {
    const QSize twice = size * 2;
    if (image.width() <= twice.width() || image.height() <= twice.height())
        return scaleSmooth(image, size);
    return scaleSmooth(image.scaled(twice, Qt::IgnoreAspectRatio, Qt::FastTransformation), size);
}

bool rotatedQuarter(const QImageReader& reader) {
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

} // namespace

QSize fitSize(QSize source, QSize target) {
    if (source.isEmpty()) return {};
    target = target.expandedTo(QSize(1, 1));
    const double scale = std::min(double(target.width()) / source.width(),
                                  double(target.height()) / source.height());
    const int w = std::clamp(int(std::lround(source.width() * scale)), 1, target.width());
    const int h = std::clamp(int(std::lround(source.height() * scale)), 1, target.height());
    return {w, h};
}

ScaleStrategy strategyForFormat(const QByteArray& format) {
    // libjpeg can leave out DCT detail while decoding, so reading at the small
    // size saves most of the work; other formats decode all pixels anyway.
    if (format == "jpeg" || format == "jpg") return ScaleStrategy::ScaledRead;
    return ScaleStrategy::DecodeThenSmooth;
}

PreviewResult decodePreview(const QString& path, QSize target, ScaleStrategy strategy) {
    PreviewResult result;
    const QFileInfo info(path);
    if (!info.isFile()) {
        result.error = QStringLiteral("file not found");
        return result;
    }
    if (info.size() == 0) {
        result.error = QStringLiteral("empty file");
        return result;
    }

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        result.error = QStringLiteral("not image data of a known format");
        return result;
    }
    result.format = reader.format();
    if (strategy == ScaleStrategy::Auto) strategy = strategyForFormat(result.format);

    const QSize rawSize = reader.size();  // invalid when the header doesn't tell
    if (rawSize.isValid() && rawSize.isEmpty()) {
        result.error = QStringLiteral("image has no pixels");
        return result;
    }

    QImage image;
    if (strategy == ScaleStrategy::ScaledRead && rawSize.isValid()) {
        // The reader's scaled size is in the file's orientation; the fit is
        // computed on the image as it will be shown.
        const bool rotated = rotatedQuarter(reader);
        result.sourceSize = rotated ? rawSize.transposed() : rawSize;
        const QSize fitted = fitSize(result.sourceSize, target);
        reader.setScaledSize(rotated ? fitted.transposed() : fitted);
        image = reader.read();
        if (!image.isNull()) image = scaleSmooth(toPaintFormat(image), fitted);
    } else {
        image = reader.read();
        if (!image.isNull()) {
            result.sourceSize = image.size();
            const QSize fitted = fitSize(image.size(), target);
            image = toPaintFormat(image);
            image = strategy == ScaleStrategy::DecodeThenTwoStep ? scaleTwoStep(image, fitted)
                                                                 : scaleSmooth(image, fitted);
        }
    }
    if (image.isNull()) {
        result.error = reader.errorString();
        if (result.error.isEmpty()) result.error = QStringLiteral("the image could not be decoded");
        return result;
    }
    result.image = toPaintFormat(image);
    return result;
}

} // namespace kinoleaf
