// The progress window's arithmetic and operations.

#include "editor/LoadingWnd.h"
#include "editor/progress_math.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kinoleaf;

class TestProgress : public QObject {
    Q_OBJECT
private slots:
    void percentages_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0 << "0%";
        QTest::newRow("580 is just below 29") << 580 << "28%";
        QTest::newRow("half") << 1000 << "50%";
        QTest::newRow("full") << 2000 << "100%";
        QTest::newRow("past the total") << 3000 << "150%";
    }
    void percentages() {
        QFETCH(int, done);
        QFETCH(QString, text);
        QCOMPARE(progress::percentText(done, progress::kLoadTotal), text);
    }

    void barIsClampedButLabelIsNot() {
        LoadingWnd w;
        w.Prepare("载入中...", "0%", "找到脚本文件，载入中...");
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("处理中，请稍候*_*"));
        QCOMPARE(w.TextLoadMsg->text(), QStringLiteral("找到脚本文件，载入中..."));
        QCOMPARE(w.greenWidth(), 0.0f);
        const float black = w.blackWidth();
        w.Advance(1000, 2000);
        QCOMPARE(w.greenWidth(), black * 0.5f);
        QCOMPARE(w.LabelNumber->text(), QString("50%"));
        w.Advance(3000, 2000);
        QCOMPARE(w.greenWidth(), black);
        QCOMPARE(w.LabelNumber->text(), QString("150%"));
        QCOMPARE(w.ShapeGreenBar->width(), w.ShapeBlackBar->width());
        w.Finish();
        QCOMPARE(w.LabelNumber->text(), QString("100%"));
        QVERIFY(!w.isVisible());
    }

    void staysLitWhileItsOwnerIsDisabled() {
        QWidget owner;
        auto* w = new LoadingWnd(&owner);
        w->Prepare(QStringLiteral("删除中..."), QStringLiteral("0%"), QString());
        owner.setEnabled(false);
        QVERIFY(w->isEnabled());
        QVERIFY(w->LabelNumber->isEnabled());
    }

    void initialTexts() {
        LoadingWnd w;
        QCOMPARE(w.LabelTitle->text(), QStringLiteral("载入中..."));
        QCOMPARE(w.LabelNumber->text(), QString("12%"));
        QCOMPARE(w.TextLoadMsg->text(), QString("Text1"));
        QCOMPARE(w.ShapeGreenBar->palette().color(QPalette::Window), QColor(0, 255, 0));
        QCOMPARE(w.ShapeBlackBar->palette().color(QPalette::Window), QColor(Qt::black));
    }
};

QTEST_MAIN(TestProgress)
#include "test_progress.moc"
