// The quick preview of a page: the EXIF thumbnail found in a JPEG's first
// bytes (whatever those bytes are), turned as the full decode turns the
// picture, and a thumbnail source asked first.

#include "platform/image_exif_writer.h"
#include "platform/preview_decoder.h"
#include "platform/quick_preview.h"

#include "support/image_samples.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

// Quadrants told apart after any turn or mirror.
const QRgb kQuadrants[4] = {qRgb(230, 20, 20), qRgb(20, 200, 20), qRgb(20, 20, 230), qRgb(240, 240, 240)};

QImage quadrants(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    p.fillRect(0, 0, w, h, QColor(kQuadrants[0]));
    p.fillRect(w, 0, size.width() - w, h, QColor(kQuadrants[1]));
    p.fillRect(0, h, w, size.height() - h, QColor(kQuadrants[2]));
    p.fillRect(w, h, size.width() - w, size.height() - h, QColor(kQuadrants[3]));
    return image;
}

// Which quadrant colour each quarter of image shows, nearest first.
QList<int> quadrantOrder(const QImage& image) {
    QList<int> order;
    for (QPoint at : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
        const QRgb c = image.pixel(image.width() * at.x() / 4, image.height() * at.y() / 4);
        int best = 0, bestDistance = INT_MAX;
        for (int i = 0; i < 4; ++i) {
            const int d = qAbs(qRed(c) - qRed(kQuadrants[i])) + qAbs(qGreen(c) - qGreen(kQuadrants[i])) +
                          qAbs(qBlue(c) - qBlue(kQuadrants[i]));
            if (d < bestDistance) bestDistance = d, best = i;
        }
        order << best;
    }
    return order;
}

QByteArray thumbnailJpeg() {
    return encoded(QImage(quadrants({32, 24})), "jpeg");
}

// A JPEG with the writer's Exif segment: SOI at 0, the segment at 2, its
// TIFF block at 12.
constexpr int kTiff = 12;

QByteArray sampleFile(int orientation = 6, bool little = false) {
    return withExifThumbnail(encoded(quadrants({64, 48}), "jpeg"), quadrants({32, 24}), orientation, little);
}

void putBig32(QByteArray& bytes, int at, quint32 v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (24 - 8 * i));
}

} // namespace

class TestQuickPreview : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void findsTheThumbnailInEitherByteOrder() {
        for (bool little : {false, true}) {
            const QByteArray file = sampleFile(6, little);
            const std::optional<ExifThumbnailSpan> span = findExifThumbnail(file);
            QVERIFY(span);
            QCOMPARE(span->orientation, 6);
            const QByteArray thumb = file.mid(span->offset, span->length);
            QVERIFY(thumb.startsWith("\xFF\xD8"));
            QCOMPARE(QImage::fromData(thumb, "jpeg").size(), QSize(32, 24));
        }
        // Behind other segments (JFIF, XMP) and with no orientation tag.
        const QByteArray jfif = encoded(quadrants({64, 48}), "jpeg");
        QByteArray xmp("\xFF\xE1\x00\x08http:", 9);
        xmp += '\0';
        const QByteArray behind = jfif.left(2) + QByteArray("\xFF\xE0\x00\x04zz", 6) + xmp +
                                  exifSegment(thumbnailJpeg(), 0) + jfif.mid(2);
        const std::optional<ExifThumbnailSpan> span = findExifThumbnail(behind);
        QVERIFY(span);
        QCOMPARE(span->orientation, 1);
        QVERIFY(behind.mid(span->offset, span->length) == thumbnailJpeg());
        // None: a plain JPEG, and something that is no JPEG.
        QVERIFY(!findExifThumbnail(jfif));
        QVERIFY(!findExifThumbnail(pngHeaderOnly(10, 10)));
    }

    // Every byte of the head comes from the file: nothing it says may lead a
    // read outside the segment.
    void malformedSegmentsFindNothing() {
        const QByteArray good = sampleFile();
        const int ifd1 = kTiff + 8 + 2 + 12 + 4;  // as the writer lays it out
        struct Case {
            const char* what;
            std::function<void(QByteArray&)> spoil;
        };
        const Case cases[] = {
            {"segment length below 2", [](QByteArray& b) { b[4] = 0, b[5] = 1; }},
            {"segment longer than the file", [](QByteArray& b) { b[4] = char(0xFF), b[5] = char(0xFF); }},
            {"no TIFF byte order", [](QByteArray& b) { b[kTiff] = 'X'; }},
            {"wrong TIFF magic", [](QByteArray& b) { b[kTiff + 3] = 0x2B; }},
            {"IFD0 past the segment", [](QByteArray& b) { putBig32(b, kTiff + 4, 0x7FFFFFF0); }},
            {"IFD0 inside the header", [](QByteArray& b) { putBig32(b, kTiff + 4, 2); }},
            {"IFD0 claims 65535 entries", [](QByteArray& b) { b[kTiff + 8] = char(0xFF), b[kTiff + 9] = char(0xFF); }},
            {"no IFD1", [](QByteArray& b) { putBig32(b, kTiff + 8 + 2 + 12, 0); }},
            {"IFD1 is IFD0", [](QByteArray& b) { putBig32(b, kTiff + 8 + 2 + 12, 8); }},
            {"IFD1 past the segment", [](QByteArray& b) { putBig32(b, kTiff + 8 + 2 + 12, 0xFFFFFFFF); }},
            {"thumbnail offset past the segment", [=](QByteArray& b) { putBig32(b, ifd1 + 2 + 12 + 8, 0xFFFFFFF0); }},
            {"thumbnail length past the segment", [=](QByteArray& b) { putBig32(b, ifd1 + 2 + 24 + 8, 0xFFFFFFFF); }},
            {"offset and length wrapping", [=](QByteArray& b) {
                 putBig32(b, ifd1 + 2 + 12 + 8, 0x80000000);
                 putBig32(b, ifd1 + 2 + 24 + 8, 0x80000000);
             }},
            {"thumbnail offset as three values", [=](QByteArray& b) { putBig32(b, ifd1 + 2 + 12 + 4, 3); }},
            {"thumbnail no JPEG", [=](QByteArray& b) { b[kTiff + 68] = 0; }},
        };
        QVERIFY(findExifThumbnail(good));
        for (const Case& c : cases) {
            QByteArray bytes = good;
            c.spoil(bytes);
            QVERIFY2(!findExifThumbnail(bytes), c.what);
        }
        // Cut anywhere: found only once the whole segment is there. A copy
        // keeps the cut end from running into the rest of the array.
        const qsizetype segmentEnd = 2 + 2 + (uchar(good[4]) << 8 | uchar(good[5]));
        for (qsizetype n = 0; n <= segmentEnd + 4; ++n) {
            const QByteArray head(good.constData(), n);
            QCOMPARE(bool(findExifThumbnail(head)), n >= segmentEnd);
        }
        // Orientation out of range is taken as upright.
        QByteArray odd = good;
        odd[kTiff + 8 + 2 + 8 + 1] = 9;
        QCOMPARE(findExifThumbnail(odd)->orientation, 1);
    }

    void thumbnailIsTurnedAsTheFullDecodeTurnsThePicture() {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QString path = writeBytes(dir_.path(), QString("o%1.jpg").arg(orientation), sampleFile(orientation));
            const QImage quick = readExifThumbnail(path);
            const PreviewResult full = decodePreview(path, {640, 640});
            QVERIFY(full.ok());
            QCOMPARE(quick.size(), fitSize(full.image.size(), {32, 32}));
            QCOMPARE(quadrantOrder(quick), quadrantOrder(full.image));
        }
        QCOMPARE(readExifThumbnail(writeBytes(dir_.path(), "plain.jpg", encoded(quadrants({64, 48}), "jpeg"))),
                 QImage());
        QCOMPARE(readExifThumbnail(dir_.filePath("missing.jpg")), QImage());
    }

    void thumbnailSourceComesFirst() {
        const QString path = writeBytes(dir_.path(), "s.jpg", sampleFile(1));
        int asked = 0;
        const ThumbnailSource cached = [&](const QString& p, int minSide) -> std::optional<QImage> {
            ++asked;
            if (p != path || minSide != 128) return std::nullopt;
            QImage solid(128, 96, QImage::Format_RGB888);
            solid.fill(Qt::black);
            return solid;
        };
        const QImage fromSource = readQuickPreview(path, cached, 128);
        QCOMPARE(fromSource.size(), QSize(128, 96));
        QCOMPARE(fromSource.format(), QImage::Format_RGB32);
        // The source has none: the EXIF thumbnail; no source at all: the same.
        QCOMPARE(readQuickPreview(path, cached, 256).size(), QSize(32, 24));
        QCOMPARE(readQuickPreview(path, {}, 128).size(), QSize(32, 24));
        QCOMPARE(asked, 2);
    }
};

QTEST_GUILESS_MAIN(TestQuickPreview)
#include "test_image_quick_preview.moc"
