// Decoding previews: sizes, formats by content, files that can't be shown
// and why, the pixel budget, files cut short, and cancelling.

#include "platform/image_gif_encoder.h"
#include "platform/preview_decoder.h"

#include "support/test_files.h"
#include "support/image_samples.h"

#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

QImage twoTone(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    for (int y = 0; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x) image.setPixel(x, y, qRgb(30, 30, 200));
    return image;
}

QString writeTwoTone(const QString& dir, const QString& name, QSize size) {
    const QImage image = twoTone(size);
    const QString path = dir + "/" + name;
    if (name.endsWith(".gif")) {
        test::writeBytes(dir, name, encodeSimpleGif(image));
    } else {
        const QByteArray format = QFileInfo(name).suffix().toLatin1();
        if (!image.save(path, format == "jpg" || format == "jpeg" ? "jpeg" : format.constData(), 95))
            qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

bool near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 &&
           qAbs(qBlue(a) - qBlue(b)) < 24;
}

} // namespace

class TestImageDecoder : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void fitKeepsAspect_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("photo into the editor's box") << QSize(4000, 3000) << QSize(665, 409) << QSize(545, 409);
        QTest::newRow("wide limited by width") << QSize(1920, 1080) << QSize(665, 409) << QSize(665, 374);
        QTest::newRow("portrait") << QSize(1080, 1920) << QSize(665, 409) << QSize(230, 409);
        QTest::newRow("small is enlarged") << QSize(40, 30) << QSize(665, 409) << QSize(545, 409);
        QTest::newRow("sliver stays visible") << QSize(1, 5000) << QSize(665, 409) << QSize(1, 409);
        QTest::newRow("empty box still gets a pixel") << QSize(400, 300) << QSize(0, 0) << QSize(1, 1);
        QTest::newRow("no source") << QSize(0, 10) << QSize(665, 409) << QSize();
    }
    void fitKeepsAspect() {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        QFETCH(QSize, fitted);
        QCOMPARE(fitSize(source, target), fitted);
    }

    void decodesEachFormatWithEveryStrategy_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpg") << "a.jpg" << QByteArray("jpeg");
        QTest::newRow("jpeg") << "b.jpeg" << QByteArray("jpeg");
        QTest::newRow("png") << "c.png" << QByteArray("png");
        QTest::newRow("gif") << "d.gif" << QByteArray("gif");
        QTest::newRow("bmp") << "e.bmp" << QByteArray("bmp");
    }
    void decodesEachFormatWithEveryStrategy() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        const QString path = writeTwoTone(dir_.path(), name, QSize(800, 600));
        for (ScaleStrategy strategy : {ScaleStrategy::Auto, ScaleStrategy::ScaledRead,
                                       ScaleStrategy::DecodeThenSmooth, ScaleStrategy::DecodeThenTwoStep}) {
            const PreviewResult r = decodePreview(path, QSize(665, 409), strategy);
            QVERIFY2(r.ok(), qPrintable(r.error));
            QCOMPARE(r.format, format);
            QCOMPARE(r.sourceSize, QSize(800, 600));
            QCOMPARE(r.image.size(), QSize(545, 409));
            QCOMPARE(r.image.format(), QImage::Format_RGB32);
            // Left half red, right half blue: not mirrored, not mixed up.
            QVERIFY(near(r.image.pixel(100, 200), qRgb(200, 30, 30)));
            QVERIFY(near(r.image.pixel(445, 200), qRgb(30, 30, 200)));
        }
    }

    void formatComesFromContentNotName() {
        const QString path = writeTwoTone(dir_.path(), "real.png", QSize(64, 48));
        QVERIFY(QFile::copy(path, dir_.filePath("named.jpg")));
        const PreviewResult r = decodePreview(dir_.filePath("named.jpg"), QSize(32, 32));
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.format, QByteArray("png"));
        QCOMPARE(r.image.size(), QSize(32, 24));
    }

    void alphaIsKeptPremultiplied() {
        QImage image(20, 10, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QVERIFY(image.save(dir_.filePath("alpha.png")));
        const PreviewResult r = decodePreview(dir_.filePath("alpha.png"), QSize(40, 40));
        QVERIFY(r.ok());
        QCOMPARE(r.image.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(qAlpha(r.image.pixel(5, 5)), 0);
    }

    void exifOrientationIsApplied() {
        QImageWriter writer(dir_.filePath("turned.jpg"), "jpeg");
        if (!writer.supportsOption(QImageIOHandler::ImageTransformation))
            QSKIP("this JPEG writer stores no orientation");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(twoTone(QSize(400, 300))));
        const PreviewResult r = decodePreview(dir_.filePath("turned.jpg"), QSize(665, 409));
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.sourceSize, QSize(300, 400));
        QCOMPARE(r.image.size(), QSize(307, 409));
        // Turned clockwise: the red left half is now on top.
        QVERIFY(near(r.image.pixel(150, 50), qRgb(200, 30, 30)));
        QVERIFY(near(r.image.pixel(150, 350), qRgb(30, 30, 200)));
    }

    void unusableFilesFailWithAReason_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("headerTells");  // probeImage already knows
        const QString d = dir_.path();
        const QByteArray png = encoded(twoTone(QSize(64, 48)), "png");
        const QString damaged = QStringLiteral("图片数据已损坏，无法解码");
        const QString noPixels = QStringLiteral("图片的宽或高为 0，没有像素");
        QTest::newRow("missing") << d + "/nothing.jpg" << QStringLiteral("文件不存在") << true;
        QTest::newRow("no name") << QString() << QStringLiteral("文件不存在") << true;
        QTest::newRow("folder") << d << QStringLiteral("这是文件夹，不是图片文件") << true;
        QTest::newRow("empty file") << test::writeBytes(d, "empty.jpg", {}) << QStringLiteral("文件是空的") << true;
        QTest::newRow("text named jpg") << test::writeBytes(d, "text.jpg", "this is not a picture\n")
                                        << QStringLiteral("不是能识别的图片格式") << true;
        QTest::newRow("png cut after the header") << test::writeBytes(d, "cut.png", png.left(40)) << damaged << true;
        // The header is fine; the pixels stop early, which a PNG reader refuses.
        QTest::newRow("png cut in its pixels")
            << test::writeBytes(d, "halfpixels.png", png.left(png.size() - 40)) << damaged << false;
        QTest::newRow("jpeg marker then garbage")
            << test::writeBytes(d, "garbage.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, 'x'))
            << damaged << true;
        QTest::newRow("gif of zero size")
            << test::writeBytes(d, "zero.gif", QByteArray("GIF89a\0\0\0\0\0\0\0\x3B", 14)) << noPixels << true;
        QTest::newRow("bmp of zero width")
            << test::writeBytes(d, "zero.bmp", bmpHeader(0, 10) + QByteArray(40, '\0')) << noPixels << true;
    }
    void unusableFilesFailWithAReason() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QFETCH(bool, headerTells);
        const PreviewResult r = decodePreview(path, QSize(665, 409));
        QVERIFY(!r.ok());
        QVERIFY(r.image.isNull());
        QVERIFY(!r.incomplete && !r.cancelled);
        QCOMPARE(r.error, reason);
        QCOMPARE(probeImage(path).error, headerTells ? reason : QString());
    }

    void unreadableFileTellsTheSystemsReason() {
        const QString path = writeTwoTone(dir_.path(), "locked.png", QSize(8, 8));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly)) QSKIP("permissions don't stop this user (root)");
        QCOMPARE(decodePreview(path, QSize(64, 64)).error, QStringLiteral("无法打开文件：没有权限"));
        QCOMPARE(probeImage(path).error, QStringLiteral("无法打开文件：没有权限"));
    }

    void headerClaimingTooManyPixelsIsRefusedUndecoded_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        const QString d = dir_.path();
        QTest::newRow("png 40000x40000") << test::writeBytes(d, "huge.png", pngHeaderOnly(40000, 40000))
                                         << QStringLiteral("图片太大（40000×40000 像素），超过 10 亿像素的上限");
        QTest::newRow("png just over") << test::writeBytes(d, "over.png", pngHeaderOnly(31623, 31623))
                                       << QStringLiteral("图片太大（31623×31623 像素），超过 10 亿像素的上限");
        // Qt's BMP reader won't tell a size this big; the header still does.
        QTest::newRow("bmp 50000x50000") << test::writeBytes(d, "huge.bmp", bmpHeader(50000, 50000) + QByteArray(64, '\0'))
                                         << QStringLiteral("图片太大（50000×50000 像素），超过 10 亿像素的上限");
    }
    void headerClaimingTooManyPixelsIsRefusedUndecoded() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QCOMPARE(probeImage(path).error, reason);
        const PreviewResult r = decodePreview(path, QSize(665, 409));
        QCOMPARE(r.error, reason);
        QVERIFY(r.image.isNull());
    }

    void bigPictureWithinTheBudgetIsShown() {
        // 36 MP of 32-bit pixels is over Qt's default allocation limit.
        const int side = 6000;
        QByteArray row;
        for (int x = 0; x < side; ++x) row.append("\x30\xC0\x10", 3);  // BGR
        QFile file(dir_.filePath("scan.bmp"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bmpHeader(side, side));
        for (int y = 0; y < side; ++y) file.write(row);
        file.close();

        const PreviewResult r = decodePreview(file.fileName(), QSize(665, 409));
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.sourceSize, QSize(side, side));
        QCOMPARE(r.image.size(), QSize(409, 409));
        QVERIFY(near(r.image.pixel(200, 200), qRgb(0x10, 0xC0, 0x30)));
        QVERIFY(!r.incomplete);
        QVERIFY(file.remove());
    }

    void picturesCutShortAreShownAndFlagged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("incomplete");
        const QImage image = twoTone(QSize(400, 300));
        const QByteArray jpeg = encoded(image, "jpeg");
        const QByteArray bmp = encoded(image, "bmp");
        const QByteArray gif = encodeSimpleGif(image);
        QTest::newRow("jpeg whole") << jpeg << QByteArray("jpeg") << false;
        QTest::newRow("jpeg padded with zeros") << jpeg + QByteArray(5000, '\0') << QByteArray("jpeg") << false;
        QTest::newRow("jpeg with a video appended")
            << jpeg + QByteArray(100000, 'v') << QByteArray("jpeg") << false;
        QTest::newRow("jpeg cut") << jpeg.left(jpeg.size() * 6 / 10) << QByteArray("jpeg") << true;
        QTest::newRow("jpeg cut, rest zeroed")
            << jpeg.left(jpeg.size() * 6 / 10) + QByteArray(jpeg.size() * 4 / 10, '\0') << QByteArray("jpeg") << true;
        QTest::newRow("bmp whole") << bmp << QByteArray("bmp") << false;
        QTest::newRow("bmp cut") << bmp.left(bmp.size() * 6 / 10) << QByteArray("bmp") << true;
        QTest::newRow("gif whole") << gif << QByteArray("gif") << false;
        QTest::newRow("gif cut") << gif.left(gif.size() * 6 / 10) << QByteArray("gif") << true;
        QTest::newRow("gif without its trailer") << gif.chopped(1) << QByteArray("gif") << true;
        QTest::newRow("png whole") << encoded(image, "png") << QByteArray("png") << false;
    }
    void picturesCutShortAreShownAndFlagged() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, format);
        QFETCH(bool, incomplete);
        const QString path = test::writeBytes(dir_.path(), QString("cut.%1").arg(QString(format)), bytes);
        const PreviewResult r = decodePreview(path, QSize(400, 300));
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.format, format);
        QCOMPARE(r.incomplete, incomplete);
        QCOMPARE(r.image.size(), QSize(400, 300));
        // JPEG and GIF store the top rows first, BMP the bottom ones: what is
        // there is decoded in its place.
        const int y = format == "bmp" ? 290 : 10;
        QVERIFY(near(r.image.pixel(50, y), qRgb(200, 30, 30)));
        QVERIFY(near(r.image.pixel(350, y), qRgb(30, 30, 200)));
    }

    void cancelledDecodeGivesNothing() {
        const QString path = writeNoisyJpeg(dir_.path(), "cancel.jpg");
        std::atomic<bool> cancel{true};
        PreviewResult r = decodePreview(path, QSize(665, 409), ScaleStrategy::Auto, &cancel);
        QVERIFY(r.cancelled && !r.ok() && r.image.isNull());

        // Part-way: the JPEG reader pads what it no longer gets, which must
        // not pass for a picture.
        cancel = false;
        std::unique_ptr<QThread> canceller(QThread::create([&cancel] {
            QThread::msleep(2);
            cancel = true;
        }));
        canceller->start();
        r = decodePreview(path, QSize(665, 409), ScaleStrategy::Auto, &cancel);
        QVERIFY(canceller->wait(10000));
        QVERIFY(r.cancelled && !r.ok() && r.image.isNull());

        cancel = false;
        r = decodePreview(path, QSize(665, 409), ScaleStrategy::Auto, &cancel);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QVERIFY(!r.cancelled && !r.incomplete);
    }
};

QTEST_GUILESS_MAIN(TestImageDecoder)
#include "test_image_decoder.moc"
