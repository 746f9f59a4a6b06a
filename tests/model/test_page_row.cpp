// Splitting rows and telling image files apart.

#include "model/page_row.h"

#include <QtTest>

using namespace kinoleaf;

class TestPageRow : public QObject {
    Q_OBJECT
private slots:
    void split_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("intro");
        QTest::newRow("no separator") << "a.jpg" << "a.jpg" << "";
        QTest::newRow("empty intro") << "a.jpg :" << "a.jpg" << "";
        QTest::newRow("first separator only") << "a.jpg :x :y" << "a.jpg" << "x :y";
        QTest::newRow("colon without space") << "a.jpg:x" << "a.jpg:x" << "";
        QTest::newRow("full-width colon") << "a.jpg ：x" << "a.jpg ：x" << "";
        QTest::newRow("empty name") << " :x" << "" << "x";
        QTest::newRow("space in name") << "a b.jpg :c" << "a b.jpg" << "c";
        QTest::newRow("spaces kept") << "  a.jpg  : x " << "  a.jpg " << " x ";
        QTest::newRow("lf in intro") << "a.jpg :x\ny" << "a.jpg" << "x\ny";
        QTest::newRow("empty") << "" << "" << "";
    }
    void split() {
        QFETCH(QString, row);
        QFETCH(QString, name);
        QFETCH(QString, intro);
        QCOMPARE(imageNameOfRow(row), name);
        QCOMPARE(imageNameViewOfRow(row).toString(), name);
        QCOMPARE(introOfRow(row), intro);
        if (row.contains(kRowSeparator)) QCOMPARE(makeRow(name, intro), row);
    }

    void extensions() {
        QCOMPARE(fileExtension("a.JPG"), QString("jpg"));
        QCOMPARE(fileExtension("a.b.jpg"), QString("b.jpg"));
        QCOMPARE(fileExtension("readme"), QString("null"));
        QCOMPARE(fileExtension(".jpg"), QString("jpg"));
        for (const char* yes : {"cover.JPG", "x.png", "x.gif", "x.bmp", "x.jpeg", "x.JpEg"})
            QVERIFY2(isImageFileName(yes), yes);
        for (const char* no : {"cover.jpg.bak", "a.b.png", "readme", "x.tiff", "jpg", "x.", "x.jp", "x.jpgg"})
            QVERIFY2(!isImageFileName(no), no);
        // Beyond ASCII the extension is lower-cased as text: full-width
        // letters stay full-width, and İ becomes two characters.
        QVERIFY(!isImageFileName(QStringLiteral("x.ＪＰＧ")));
        QVERIFY(!isImageFileName(QStringLiteral("x.gİf")));
        QVERIFY(isImageFileName(QStringLiteral("第一页.PNG")));
    }
};

QTEST_GUILESS_MAIN(TestPageRow)
#include "test_page_row.moc"
