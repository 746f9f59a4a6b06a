// Decoding previews: sizes, formats by content, and files that can't be shown.

#include "platform/image_gif_encoder.h"
#include "platform/preview_decoder.h"

#include "support/test_files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoleaf;

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
        const QString d = dir_.path();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        twoTone(QSize(64, 48)).save(&buffer, "png");
        QTest::newRow("missing") << d + "/nothing.jpg";
        QTest::newRow("folder") << d;
        QTest::newRow("empty file") << test::writeBytes(d, "empty.jpg", {});
        QTest::newRow("text named jpg") << test::writeBytes(d, "text.jpg", "this is not a picture\n");
        QTest::newRow("png cut after the header") << test::writeBytes(d, "cut.png", png.left(40));
        QTest::newRow("jpeg marker then garbage")
            << test::writeBytes(d, "garbage.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, 'x'));
        QTest::newRow("gif of zero size")
            << test::writeBytes(d, "zero.gif", QByteArray("GIF89a\0\0\0\0\0\0\0\x3B", 14));
    }
    void unusableFilesFailWithAReason() {
        QFETCH(QString, path);
        const PreviewResult r = decodePreview(path, QSize(665, 409));
        QVERIFY(!r.ok());
        QVERIFY(r.image.isNull());
        QVERIFY(!r.error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestImageDecoder)
#include "test_image_decoder.moc"
