#include "platform/preview_decoder.h"

#include "platform/file_errors.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <optional>

namespace kinoleaf {

namespace {

const QString kMissing = QStringLiteral("文件不存在");
const QString kDamaged = QStringLiteral("图片数据已损坏，无法解码");

// Gives up every read once cancelled: QImageReader has no way to stop a
// decode, but each format's reader stops soon after its data runs out.
class ImageFile final : public QFile {
public:
    ImageFile(const QString& path, const std::atomic<bool>* cancel) : QFile(path), cancel_(cancel) {}

    bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
    // Why the first failed read failed; empty while none did.
    QString readFailure() const { return readFailure_; }
    // Cancelled JPEG data ends in a second start-of-image marker. Data that
    // merely ends makes libjpeg fill in the rest and still build the whole
    // picture (up to 100 ms more for a progressive 12 MP one); the second
    // marker is an error it stops at, at the next marker it reads: the end
    // of the current scan.
    void endCancelledAsJpeg() { jpegEnd_ = true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (cancelled()) {
            if (!jpegEnd_ || maxSize < 2) return -1;
            jpegEnd_ = false;
            data[0] = char(0xFF);
            data[1] = char(0xD8);
            return 2;
        }
        errno = 0;
        const qint64 n = QFile::readData(data, maxSize);
        if (n < 0 && readFailure_.isEmpty()) readFailure_ = fileErrorReason(*this, errno);
        return n;
    }

private:
    const std::atomic<bool>* cancel_;
    QString readFailure_;
    bool jpegEnd_ = false;
};

// Qt refuses images over 128 MB of pixels by default, which already rules
// out a 6000x6000 scan; kMaxImagePixels is the bound that counts here. Eight
// bytes a pixel: 16-bit PNGs decode to 64-bit pixels.
void allowImagesWithinBudget() {
    static const bool raised = [] {
        const int neededMb = int((kMaxImagePixels * 8 + (1 << 20) - 1) >> 20);
        const int current = QImageReader::allocationLimit();
        if (current != 0 && current < neededMb) QImageReader::setAllocationLimit(neededMb);
        return true;
    }();
    (void)raised;
}

// What a BMP header says about its size and the bytes its pixels need.
struct BmpLayout {
    QSize size;
    qint64 neededBytes = -1;  // unknown for embedded JPEG/PNG data
};

constexpr qint64 kBmpHeaderBytes = 54;

std::optional<BmpLayout> readBmpLayout(const QByteArray& head) {
    if (head.size() < 26 || !head.startsWith("BM")) return std::nullopt;
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    const qint64 fileSize = qFromLittleEndian<quint32>(p + 2);
    const qint64 pixelOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(p + 14);
    qint64 width = 0, height = 0;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    qint64 imageBytes = 0;
    if (infoSize == 12) {  // the old OS/2 header
        width = qFromLittleEndian<quint16>(p + 18);
        height = qFromLittleEndian<quint16>(p + 20);
        bitsPerPixel = qFromLittleEndian<quint16>(p + 24);
    } else if (infoSize >= 40 && head.size() >= kBmpHeaderBytes) {
        width = qFromLittleEndian<qint32>(p + 18);
        height = std::abs(qint64(qFromLittleEndian<qint32>(p + 22)));  // negative: top-down rows
        bitsPerPixel = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
        imageBytes = qFromLittleEndian<quint32>(p + 34);
    } else {
        return std::nullopt;
    }
    if (width < 0 || width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max())
        return std::nullopt;

    BmpLayout layout;
    layout.size = QSize(int(width), int(height));
    constexpr quint32 kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        layout.neededBytes = pixelOffset + rowBytes * height;
    } else if (compression == kRle8 || compression == kRle4) {
        layout.neededBytes = imageBytes > 0 ? pixelOffset + imageBytes : fileSize;
    }
    return layout;
}

// The GIF reader takes the file in blocks of this size, so it may stop this
// far past its picture's end.
constexpr qint64 kReaderSlack = 4096;

// Whether the file ends before its picture does, judged from its end (JPEG,
// GIF) or its header (BMP). decoderPos is where the reader stopped reading.
bool endsEarly(QFile& file, const QByteArray& format, qint64 decoderPos) {
    const qint64 size = file.size();
    if (format == "bmp") {
        if (!file.seek(0)) return false;
        const std::optional<BmpLayout> layout = readBmpLayout(file.read(kBmpHeaderBytes));
        return layout && layout->neededBytes > size;
    }
    const bool jpeg = format == "jpeg" || format == "jpg";
    if (!jpeg && format != "gif") return false;
    // A reader that stopped well before the end met its picture's end; what
    // follows is something else (the video some phones append to a photo).
    if (decoderPos < size - kReaderSlack) return false;
    const qint64 tailBytes = std::min<qint64>(size, 4096);
    if (!file.seek(size - tailBytes)) return false;
    const QByteArray tail = file.read(tailBytes);
    if (!jpeg) return !tail.endsWith(char(0x3B));
    // Some cameras pad the file with zeros after the end marker.
    qsizetype end = tail.size();
    while (end > 0 && tail[end - 1] == '\0') --end;
    return end < 2 || uchar(tail[end - 2]) != 0xFF || uchar(tail[end - 1]) != 0xD9;
}

// The size the header of a BMP or GIF states, read without Qt.
QSize sizeInHeader(QFile& file, const QByteArray& format) {
    if ((format != "bmp" && format != "gif") || !file.seek(0)) return {};
    const QByteArray head = file.read(kBmpHeaderBytes);
    if (format == "bmp") {
        const std::optional<BmpLayout> layout = readBmpLayout(head);
        return layout ? layout->size : QSize();
    }
    if (format == "gif" && head.size() >= 10) {  // the logical screen
        const auto* p = reinterpret_cast<const uchar*>(head.constData());
        return QSize(qFromLittleEndian<quint16>(p + 6), qFromLittleEndian<quint16>(p + 8));
    }
    return {};
}

QString tooBig(QSize size) {
    return QStringLiteral("图片太大（%1×%2 像素），超过 10 亿像素的上限").arg(size.width()).arg(size.height());
}

// Opens file and reads the header into reader and probe; false (with
// probe.error set) when decoding is not worth trying.
bool readHeader(ImageFile& file, QImageReader& reader, ImageProbe& probe) {
    auto fail = [&probe](const QString& reason) {
        probe.error = reason;
        return false;
    };
    const QFileInfo info(file.fileName());
    if (file.fileName().isEmpty() || !info.exists()) return fail(kMissing);
    if (info.isDir()) return fail(QStringLiteral("这是文件夹，不是图片文件"));
    if (!info.isFile()) return fail(QStringLiteral("不是普通文件"));
    if (info.size() == 0) return fail(QStringLiteral("文件是空的"));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int savedErrno = errno;
        return fail(QStringLiteral("无法打开文件：%1").arg(fileErrorReason(file, savedErrno)));
    }

    reader.setDevice(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    auto readFailed = [&] {
        return fail(file.readFailure().isEmpty()
                        ? kDamaged
                        : QStringLiteral("读取文件出错：%1").arg(file.readFailure()));
    };
    if (!reader.canRead()) {
        if (!file.readFailure().isEmpty()) return readFailed();
        return fail(QStringLiteral("不是能识别的图片格式"));
    }
    probe.format = reader.format();

    QSize size = reader.size();
    // Qt's BMP and GIF readers refuse some sizes without telling them; the
    // header still tells, to say why.
    const QSize stated = size.isValid() ? size : sizeInHeader(file, probe.format);
    if (stated.isValid() && stated.isEmpty()) return fail(QStringLiteral("图片的宽或高为 0，没有像素"));
    if (stated.isValid() && qint64(stated.width()) * stated.height() > kMaxImagePixels) return fail(tooBig(stated));
    // A reader that knows where the size is stored and can't find it can't
    // decode the rest either.
    if (!size.isValid() && reader.supportsOption(QImageIOHandler::Size)) return readFailed();
    probe.size = size;
    return true;
}

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

PreviewResult cancelledResult() {
    PreviewResult result;
    result.cancelled = true;
    result.error = QStringLiteral("已取消");
    return result;
}

} // namespace

void quietImageReaderWarnings() {
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.warning=false\n"
                                                    "qt.gui.imageio.jpeg.warning=false"));
}

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

ImageProbe probeImage(const QString& path) {
    ImageFile file(path, nullptr);
    QImageReader reader;
    ImageProbe probe;
    readHeader(file, reader, probe);
    return probe;
}

PreviewResult decodePreview(const QString& path, QSize target, ScaleStrategy strategy,
                            const std::atomic<bool>* cancel) {
    allowImagesWithinBudget();
    ImageFile file(path, cancel);
    if (file.cancelled()) return cancelledResult();
    QImageReader reader;
    ImageProbe probe;
    const bool usable = readHeader(file, reader, probe);
    if (file.cancelled()) return cancelledResult();

    PreviewResult result;
    result.format = probe.format;
    if (!usable) {
        result.error = probe.error;
        return result;
    }
    if (strategy == ScaleStrategy::Auto) strategy = strategyForFormat(result.format);
    if (result.format == "jpeg" || result.format == "jpg") file.endCancelledAsJpeg();

    QImage image;
    QSize fitted;
    const QSize rawSize = probe.size;  // invalid when the header doesn't tell
    if (strategy == ScaleStrategy::ScaledRead && rawSize.isValid()) {
        // The reader's scaled size is in the file's orientation; the fit is
        // computed on the image as it will be shown.
        const bool rotated = rotatedQuarter(reader);
        result.sourceSize = rotated ? rawSize.transposed() : rawSize;
        fitted = fitSize(result.sourceSize, target);
        reader.setScaledSize(rotated ? fitted.transposed() : fitted);
        image = reader.read();
    } else {
        image = reader.read();
        if (!image.isNull()) {
            result.sourceSize = image.size();
            fitted = fitSize(image.size(), target);
        }
    }
    const qint64 decoderPos = file.pos();
    if (file.cancelled()) return cancelledResult();
    if (image.isNull()) {
        result.error = file.readFailure().isEmpty()
                           ? kDamaged
                           : QStringLiteral("读取文件出错：%1").arg(file.readFailure());
        return result;
    }

    image = toPaintFormat(image);
    image = strategy == ScaleStrategy::DecodeThenTwoStep ? scaleTwoStep(image, fitted)
                                                         : scaleSmooth(image, fitted);
    result.image = toPaintFormat(image);
    result.incomplete = endsEarly(file, result.format, decoderPos);
    // Checked last: a read cut off by the cancel may have fed anything above.
    if (file.cancelled()) return cancelledResult();
    return result;
}

} // namespace kinoleaf
