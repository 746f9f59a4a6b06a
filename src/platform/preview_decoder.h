#pragma once
// Decodes an image file straight to the size it is shown at. A page's image
// is often a 12 MP photo shown in a box of a few hundred pixels, so the
// decoder picks, per format, the cheapest way to get there.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace kinoleaf {

struct PreviewResult {
    QImage image;       // RGB32, or ARGB32_Premultiplied when it has alpha
    QSize sourceSize;   // as displayed (EXIF orientation applied)
    QByteArray format;  // detected from the content: "jpeg", "png", ...
    QString error;      // empty on success

    bool ok() const { return error.isEmpty() && !image.isNull(); }
};

// How the pixels get from the file's size to the preview's size.
enum class ScaleStrategy {
    Auto,              // the measured best for the detected format
    ScaledRead,        // the reader decodes at the smaller size (JPEG DCT scaling)
    DecodeThenSmooth,  // full decode, then one area-averaging scale
    DecodeThenTwoStep, // full decode, nearest-pixel to twice the size, then smooth
};

// The largest size with the source's aspect ratio that fits target, never
// below 1x1. Small images are enlarged: a picture box fills its space.
QSize fitSize(QSize source, QSize target);

// The strategy Auto stands for, by detected format name.
ScaleStrategy strategyForFormat(const QByteArray& format);

// Decodes path scaled to fit target. The format is taken from the content,
// not the name. Fails (with a reason in error) for a missing or empty file,
// data no reader recognises, a zero-sized image or a decoding error.
PreviewResult decodePreview(const QString& path, QSize target,
                            ScaleStrategy strategy = ScaleStrategy::Auto);

} // namespace kinoleaf
