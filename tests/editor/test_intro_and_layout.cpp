// The intro box's own text under edits of what it shows, and where the
// main window's controls go as it is resized.

#include "editor/IntroTextBox.h"
#include "editor/main_layout.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTextCursor>
#include <QtTest>

using namespace kinoleaf;

class TestIntroAndLayout : public QObject {
    Q_OBJECT
private slots:
    void editsOfTheShownText_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<int>("caretShown");
        QTest::addColumn<QString>("rawAfter");
        QTest::addColumn<int>("caretRaw");
        // the shown text is raw with each CR LF as one line break
        QTest::newRow("typed after CR LF") << "ab\r\n" << "ab\nx" << 4 << "ab\r\nx" << 5;
        QTest::newRow("typed before CR LF") << "ab\r\n" << "abx\n" << 3 << "abx\r\n" << 3;
        QTest::newRow("CR LF deleted") << "ab\r\ncd" << "abcd" << 2 << "abcd" << 2;
        QTest::newRow("typed after a later pair") << "a\r\nb\r\nc" << "a\nb\ncx" << 6 << "a\r\nb\r\ncx" << 8;
        QTest::newRow("caret behind the edit") << "a\r\nbc" << "xa\nbc" << 5 << "xa\r\nbc" << 6;
        QTest::newRow("everything replaced") << "ab\r\n" << "z" << 1 << "z" << 1;
        QTest::newRow("plain text") << "hello" << "help" << 4 << "help" << 4;
        QTest::newRow("repeated letter") << "aaa" << "aaaa" << 2 << "aaaa" << 2;
    }
    void editsOfTheShownText() {
        QFETCH(QString, raw);
        QFETCH(QString, shownAfter);
        QFETCH(int, caretShown);
        QFETCH(QString, rawAfter);
        QFETCH(int, caretRaw);
        QString shownBefore = raw;
        shownBefore.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        int caret = caretShown;
        QCOMPARE(applyShownEdit(raw, shownBefore, shownAfter, caret), rawAfter);
        QCOMPARE(caret, caretRaw);
    }

    void aDragWithinTheBoxMovesTheText() {
        struct Box : IntroTextBox {
            using IntroTextBox::insertFromMimeData;
        } box;
        box.setText(QStringLiteral("ab\r\ncd"));
        QSignalSpy changes(&box, &IntroTextBox::Change);
        // As Qt drops a move: one edit block that removes the dragged text,
        // then inserts it where it was dropped.
        QTextCursor dragged = box.textCursor();
        dragged.setPosition(1);
        dragged.setPosition(2, QTextCursor::KeepAnchor);
        QTextCursor drop(box.document());
        drop.setPosition(5);
        drop.beginEditBlock();
        dragged.removeSelectedText();
        box.setTextCursor(drop);
        QMimeData data;
        data.setText(QStringLiteral("b"));
        box.insertFromMimeData(&data);
        drop.endEditBlock();
        QCOMPARE(box.text(), QStringLiteral("a\r\ncdb"));
        QVERIFY(!changes.isEmpty());
    }

    void firstLookIsTheDrawnLayout() {
        const auto r = mainWindowLayout(kMainFirstSize);
        QCOMPARE(r["PicMovieImg"], QRect(272, 48, 665, 409));
        QCOMPARE(r["FilePathList"], QRect(8, 72, 233, 118));
        QCOMPARE(r["ListMoviePics"], QRect(8, 200, 233, 352));
        QCOMPARE(r["TxtMovieIntro"], QRect(272, 464, 665, 89));
        const char* const buttons[] = {"BtnPrePage", "BtnDelPage", "BtnDelMorePages",
                                       "BtnChangePage", "BtnInsertPage", "BtnNextPage"};
        for (int i = 0; i < 6; ++i) QCOMPARE(r[buttons[i]], QRect(272 + 112 * i, 568, 105, 33));
    }

    void aLargerWindowWidensTheLeftColumnToo() {
        const auto first = mainWindowLayout(kMainFirstSize);
        const auto big = mainWindowLayout(kMainFirstSize + QSize(400, 300));
        QVERIFY(big["ListMoviePics"].width() > first["ListMoviePics"].width());
        QVERIFY(big["FilePathList"].height() > first["FilePathList"].height());
        QVERIFY(big["PicMovieImg"].width() > first["PicMovieImg"].width());
        QVERIFY(big["PicMovieImg"].height() > first["PicMovieImg"].height());
        QCOMPARE(big["DriveSelect"].width(), big["ListMoviePics"].width());
        // the column line stays between the columns
        QVERIFY(big["Line3"].left() > big["ListMoviePics"].right());
        QVERIFY(big["Line3"].right() < big["PicMovieImg"].left());
    }

    void everySizeKeepsControlsApartAndInside_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("minimum") << kMainMinimumSize;
        QTest::newRow("below the minimum") << QSize(300, 200);
        QTest::newRow("first") << kMainFirstSize;
        QTest::newRow("full HD") << QSize(1920, 1050);
        QTest::newRow("tall and narrow") << QSize(kMainMinimumSize.width(), 1400);
    }
    void everySizeKeepsControlsApartAndInside() {
        QFETCH(QSize, size);
        const auto r = mainWindowLayout(size);
        const QRect client(QPoint(0, 0), size.expandedTo(kMainMinimumSize));
        const QStringList boxes = {"DriveSelect", "FilePathList", "ListMoviePics", "PicMovieImg",
                                   "TxtMovieIntro", "BtnImgCut", "BtnMovieCut", "BtnUpImg", "BtnImgSort",
                                   "BtnDownImg", "BtnPrePage", "BtnDelPage", "BtnDelMorePages",
                                   "BtnChangePage", "BtnInsertPage", "BtnNextPage", "BtnSave", "BtnExportTj"};
        for (int i = 0; i < boxes.size(); ++i) {
            const QRect a = r[boxes[i]];
            QVERIFY2(client.contains(a), qPrintable(boxes[i]));
            QVERIFY2(a.width() >= 20 && a.height() >= 20, qPrintable(boxes[i]));
            for (int j = i + 1; j < boxes.size(); ++j)
                QVERIFY2(!a.intersects(r[boxes[j]]), qPrintable(boxes[i] + " / " + boxes[j]));
        }
    }
};

QTEST_MAIN(TestIntroAndLayout)
#include "test_intro_and_layout.moc"
