// Qt's own texts in Chinese, and boxes wide enough for their title.

#include "platform/dialogs.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_translations.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace kinoleaf;

class TestQtTexts : public QObject {
    Q_OBJECT
private slots:
    void boxButtonsSpeakChinese() {
        QVERIFY2(installChineseQtTexts(), "Qt's Chinese translations are not installed");
        QMessageBox box(QMessageBox::Question, kAppTitle, QStringLiteral("图解脚本未保存，是否保存？"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        const QString yes = box.button(QMessageBox::Yes)->text();
        QVERIFY2(yes.contains(QStringLiteral("是")), qPrintable(yes));
        QVERIFY(box.button(QMessageBox::Cancel)->text().contains(QStringLiteral("取消")));
    }

    void aShortMessageDoesNotCutTheTitle() {
        QMessageBox narrow(QMessageBox::NoIcon, kAppTitle, QStringLiteral("没有下一页了"), QMessageBox::Ok);
        QMessageBox fitted(QMessageBox::NoIcon, kAppTitle, QStringLiteral("没有下一页了"), QMessageBox::Ok);
        fitToTitle(fitted);
        narrow.show();
        fitted.show();
        const int title = fitted.fontMetrics().horizontalAdvance(kAppTitle);
        QVERIFY(fitted.width() >= title + 150);
        QVERIFY(fitted.width() >= narrow.width());
    }
};

QTEST_MAIN(TestQtTexts)
#include "test_qt_texts.moc"
