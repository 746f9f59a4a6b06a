#include "util/decimal.h"
#include "util/util_error.h"

#include <QtTest>

using kinoleaf::Decimal;
using kinoleaf::UtilError;

namespace {
QString roundTrip(const QString& text) {
    const auto d = Decimal::parse(text);
    return d ? d->toString() : QStringLiteral("<fail>");
}
Decimal dec(const char* text) { return *Decimal::parse(QString::fromLatin1(text)); }
} // namespace

class TestDecimal : public QObject {
    Q_OBJECT
private slots:
    void parseAndPrint_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        QTest::newRow("trailing zeros") << "1.50" << "1.5";
        QTest::newRow("integer") << "42" << "42";
        QTest::newRow("plus sign") << "+7" << "7";
        QTest::newRow("negative") << "-0.25" << "-0.25";
        QTest::newRow("negative zero") << "-0.00" << "0";
        QTest::newRow("leading point") << ".5" << "0.5";
        QTest::newRow("trailing point") << "3." << "3";
        QTest::newRow("leading zeros") << "007.0100" << "7.01";
        QTest::newRow("exponent") << "1.5e3" << "1500";
        QTest::newRow("negative exponent") << "15E-4" << "0.0015";
        QTest::newRow("maximum") << "79228162514264337593543950335" << "79228162514264337593543950335";
        QTest::newRow("minimum") << "-79228162514264337593543950335" << "-79228162514264337593543950335";
        QTest::newRow("smallest step") << "1e-28" << "0.0000000000000000000000000001";
        QTest::newRow("below the smallest step") << "4e-29" << "0";
        QTest::newRow("half below: to even 0") << "5e-29" << "0";
        QTest::newRow("half below: to even 2") << "1.5e-28" << "0.0000000000000000000000000002";
        QTest::newRow("too many fraction digits round")
            << "0.12345678901234567890123456789" << "0.1234567890123456789012345679";
        QTest::newRow("precision limited by 96 bits")
            << "7.9228162514264337593543950335999" << "7.922816251426433759354395034";
        QTest::newRow("long integer with fraction")
            << "12345678901234567890.123456789012345" << "12345678901234567890.123456789";
        QTest::newRow("tiny exponent") << "1e-999999999999" << "0";
        QTest::newRow("zero huge exponent") << "0e999999999" << "0";
    }
    void parseAndPrint() {
        QFETCH(QString, text);
        QFETCH(QString, printed);
        QCOMPARE(roundTrip(text), printed);
    }

    void malformedAndOutOfRange_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        const int mismatch = int(Decimal::ParseError::TypeMismatch);
        const int overflow = int(Decimal::ParseError::Overflow);
        for (const char* t : {"", "-", "+", ".", "1-2", "--1", "1.2.3", "1e", "e5", "1e+", "1e5.0", "1 "})
            QTest::newRow(t) << QString::fromLatin1(t) << mismatch;
        QTest::newRow("just above maximum") << "79228162514264337593543950336" << overflow;
        QTest::newRow("large exponent") << "1e29" << overflow;
        QTest::newRow("huge exponent") << "1e99999999999" << overflow;
        QTest::newRow("many digits") << QString(60, QLatin1Char('9')) << overflow;
    }
    void malformedAndOutOfRange() {
        QFETCH(QString, text);
        QFETCH(int, error);
        Decimal::ParseError e = Decimal::ParseError::None;
        QVERIFY(!Decimal::parse(text, &e));
        QCOMPARE(int(e), error);
        QVERIFY(!Decimal::describe(e).isEmpty());
    }

    void compare() {
        QVERIFY(dec("1.5") == dec("1.50"));
        QVERIFY(dec("-0") == dec("0.000"));
        QVERIFY(dec("-2") < dec("-1.5"));
        QVERIFY(dec("0.1") < dec("1"));
        QVERIFY(dec("79228162514264337593543950335") > dec("7.9228162514264337593543950335"));
        QVERIFY(dec("-79228162514264337593543950335") < dec("0.0000000000000000000000000001"));
        QVERIFY(dec("3") >= dec("3.0"));
        QVERIFY(Decimal(-12) == dec("-12"));
    }

    void integerConversionRoundsHalfToEven() {
        QCOMPARE(dec("2.5").toInt16(), std::int16_t(2));
        QCOMPARE(dec("3.5").toInt16(), std::int16_t(4));
        QCOMPARE(dec("-2.5").toInt16(), std::int16_t(-2));
        QCOMPARE(dec("2.5000001").toInt16(), std::int16_t(3));
        QCOMPARE(dec("-32768.4").toInt16(), std::int16_t(-32768));
        QCOMPARE(dec("32767.5").toInt32(), 32768);
        QCOMPARE(dec("-2147483648").toInt32(), std::int32_t(-2147483647 - 1));
        int code = 0;
        try {
            (void)dec("32767.5").toInt16();
        } catch (const UtilError& e) {
            code = e.code();
        }
        QCOMPARE(code, 6);
        QVERIFY_THROWS_EXCEPTION(UtilError, (void)dec("2147483647.5").toInt32());
        QVERIFY_THROWS_EXCEPTION(UtilError, (void)dec("-2147483649").toInt32());
    }
};

QTEST_GUILESS_MAIN(TestDecimal)
#include "test_decimal.moc"
