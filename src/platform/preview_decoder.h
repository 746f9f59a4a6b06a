#pragma once
// Decodes an image file straight to the size it is shown at. A page's image
// is often a 12 MP photo shown in a box of a few hundred pixels, so the
// decoder picks, per format, the cheapest way to get there.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>

namespace kinoleaf {

// Pictures whose header claims more pixels than this are refused before
// any decoding: one of them would take gigabytes. Anything below is shown.
inline constexpr qint64 kMaxImagePixels = 1'000'000'000;

struct PreviewResult {
    QImage image;       // RGB32, or ARGB32_Premultiplied when it has alpha
    QSize sourceSize;   // as displayed (EXIF orientation applied)
    QByteArray format;  // detected from the content: "jpeg", "png", ...
    QString error;      // empty on success; otherwise a short reason in Chinese
    // The file ends before the picture does (a copy or download cut short):
    // image holds what could be decoded, the rest filled in by the decoder.
    bool incomplete = false;
    // Stopped on request before the end; image is never usable then.
    bool cancelled = false;

    bool ok() const { return error.isEmpty() && !cancelled && !image.isNull(); }
};

// What the header says, read without decoding any pixels.
struct ImageProbe {
    QByteArray format;
    QSize size;     // as stored (no EXIF turn); invalid when the format doesn't tell
    QString error;  // empty when a decode is worth trying

    bool ok() const { return error.isEmpty(); }
};

// How the pixels get from the file's size to the preview's size.
enum class ScaleStrategy {
    Auto,              // the measured best for the detected format
    ScaledRead,        // the reader decodes at the smaller size (JPEG DCT scaling)
    DecodeThenSmooth,  // full decode, then one area-averaging scale
    DecodeThenTwoStep, // full decode, nearest-pixel to twice the size, then smooth
};

// Qt's readers warn on stderr about data that stops early, which is what
// every cancelled decode looks like to them; the editor tells of pictures it
// can't show itself. Replaces the application's logging filter rules.
void quietImageReaderWarnings();

// The largest size with the source's aspect ratio that fits target, never
// below 1x1. Small images are enlarged: a picture box fills its space.
QSize fitSize(QSize source, QSize target);

// The strategy Auto stands for, by detected format name.
ScaleStrategy strategyForFormat(const QByteArray& format);

// The checks a decode starts with, and no more: the file is there, can be
// read, holds data a reader recognises, and its header claims a size that
// has pixels and stays within kMaxImagePixels. Takes well under a
// millisecond for a local file, so it can run while a key is handled.
ImageProbe probeImage(const QString& path);

// Decodes path scaled to fit target. The format is taken from the content,
// not the name. Fails (with a reason in error) for whatever probeImage
// refuses and for data that can't be decoded. A truncated picture that still
// decodes partly is returned with incomplete set.
//
// Setting *cancel from another thread makes the decode give up at its next
// read of the file (a few milliseconds at most for JPEG, at once for PNG);
// the result then has cancelled set.
PreviewResult decodePreview(const QString& path, QSize target,
                            ScaleStrategy strategy = ScaleStrategy::Auto,
                            const std::atomic<bool>* cancel = nullptr);

} // namespace kinoleaf
