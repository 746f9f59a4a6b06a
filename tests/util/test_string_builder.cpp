#include "util/string_builder.h"
#include "util/util_error.h"

#include <QtTest>

using kinoleaf::cStringBuilder;
using kinoleaf::UtilError;

namespace {
int errorCode(const std::function<void()>& f) {
    try {
        f();
    } catch (const UtilError& e) {
        return e.code();
    }
    return 0;
}
} // namespace

class TestStringBuilder : public QObject {
    Q_OBJECT
private slots:
    void growsByWholeChunks() {
        cStringBuilder b;
        QCOMPARE(b.Length(), 0);
        QCOMPARE(b.Capacity(), 0);
        QCOMPARE(b.ChunkSize(), 8192);
        QCOMPARE(b.toString(), QString());
        b.Append(u"abc");
        QCOMPARE(b.Length(), 3);
        QCOMPARE(b.Capacity(), 8192);

        cStringBuilder big;
        big.Append(QString(8193, QLatin1Char('x')));
        QCOMPARE(big.Capacity(), 16384);
        QCOMPARE(big.toString(), QString(8193, QLatin1Char('x')));
        big.Append(QString(8191, QLatin1Char('y')));
        QCOMPARE(big.Capacity(), 16384);
        big.Append(u"z");
        QCOMPARE(big.Capacity(), 24576);
        QCOMPARE(big.Length(), 16385);
        QVERIFY(big.toString().endsWith(QStringLiteral("yz")));
    }

    void insertAndRemove() {
        cStringBuilder b;
        b.Append(u"abcdef");
        b.Insert(2, u"XY");
        QCOMPARE(b.toString(), QStringLiteral("abXYcdef"));
        b.Remove(1, 2);
        QCOMPARE(b.toString(), QStringLiteral("aYcdef"));
        QCOMPARE(errorCode([&] { b.Remove(5, 2); }), 9);
        QCOMPARE(errorCode([&] { b.Remove(-1, 1); }), 9);
        QCOMPARE(errorCode([&] { b.Remove(0, -1); }), 9);
        QCOMPARE(errorCode([&] { b.Insert(7, u"q"); }), 9);
        QCOMPARE(errorCode([&] { b.Insert(-1, u"q"); }), 9);
        QCOMPARE(b.toString(), QStringLiteral("aYcdef"));
        b.Insert(0, u"<");
        b.Insert(b.Length(), u">");
        b.InsertByVal(1, QStringLiteral("="));
        QCOMPARE(b.toString(), QStringLiteral("<=aYcdef>"));
        b.Remove(0, b.Length());
        QCOMPARE(b.toString(), QString());
        QCOMPARE(b.Capacity(), 8192);  // removal keeps the buffer
    }

    void insertGrowsAndCopiesFromItself() {
        cStringBuilder b;
        b.ChunkSize(4);
        b.Append(u"abcd");
        // A view into the builder's own buffer must survive the growth it causes.
        const QString whole = b.toString();
        b.Append(whole);
        b.Insert(2, whole);
        QCOMPARE(b.toString(), QStringLiteral("ababcdcdabcd"));
        QCOMPARE(b.Capacity(), 12);
    }

    void setTextClearAndNewLine() {
        cStringBuilder b;
        b.ChunkSize(10);
        b.TheString(u"hello");
        QCOMPARE(b.Capacity(), 10);
        b.TheString(u"hi");
        QCOMPARE(b.toString(), QStringLiteral("hi"));
        QCOMPARE(b.Capacity(), 10);  // never shrunk here
        b.TheString(QStringView());
        QCOMPARE(b.Length(), 0);
        QCOMPARE(b.Capacity(), 0);
        b.Append(u"x");
        b.Clear();
        QCOMPARE(b.Capacity(), 0);
        QCOMPARE(b.ChunkSize(), 10);

        cStringBuilder nl;
        nl.AppendNL(u"x");
        QCOMPARE(nl.toString(), QStringLiteral("x\r\n"));
        nl.AppendByVal(QString());
        QCOMPARE(nl.Length(), 3);
    }

    void heapMinimize() {
        cStringBuilder b;
        b.ChunkSize(10);
        b.Append(QString(35, QLatin1Char('a')));
        QCOMPARE(b.Capacity(), 40);
        b.Remove(3, 32);
        b.HeapMinimize();
        QCOMPARE(b.Capacity(), 10);
        QCOMPARE(b.toString(), QStringLiteral("aaa"));
        b.HeapMinimize();
        QCOMPARE(b.Capacity(), 10);
        b.Append(u"bcdefgh");  // exactly full again
        QCOMPARE(b.Capacity(), 10);
        QCOMPARE(b.toString(), QStringLiteral("aaabcdefgh"));
    }

    void chunkSizeRange() {
        cStringBuilder b;
        QCOMPARE(errorCode([&] { b.ChunkSize(1073741824); }), 6);
        QCOMPARE(errorCode([&] { b.ChunkSize(-1073741825); }), 6);
        // Growth needs a positive step: zero and negatives are refused.
        QCOMPARE(errorCode([&] { b.ChunkSize(0); }), 5);
        QCOMPARE(errorCode([&] { b.ChunkSize(-1073741824); }), 5);
        QCOMPARE(b.ChunkSize(), 8192);
        b.ChunkSize(1073741823);
        QCOMPARE(b.ChunkSize(), 1073741823);
        b.ChunkSize(1);
        b.Append(u"abc");
        QCOMPARE(b.Capacity(), 3);
    }

    void sizeArithmeticOverflow() {
        cStringBuilder b;
        b.Append(u"abc");
        QCOMPARE(errorCode([&] { b.Remove(0, 2147483647); }), 9);
        QCOMPARE(errorCode([&] { b.Remove(1, 2147483647); }), 6);
        QCOMPARE(b.toString(), QStringLiteral("abc"));
    }

    void find() {
        cStringBuilder b;
        b.Append(u"Hello World");
        QCOMPARE(b.Find(u"World"), 7);
        QCOMPARE(b.Find(u"d"), 0);  // a match on the last character is not reported
        QCOMPARE(b.Find(u"Worl"), 7);
        QCOMPARE(b.Find(u"o", 6), 8);
        QCOMPARE(b.Find(u"o", -5), 5);
        QCOMPARE(b.Find(u"WORL", 1, cStringBuilder::BinaryCompare), 0);
        QCOMPARE(b.Find(u"WORL", 1, cStringBuilder::TextCompare), 7);
        QCOMPARE(b.Find(u"zzz"), 0);
        QCOMPARE(b.Find(u"H", 100000), 0);
        // Stale characters in the slack never count as a match.
        b.Remove(5, 6);
        QCOMPARE(b.Find(u"lo W"), 0);
        QCOMPARE(b.Find(u"lo"), 4);
        QCOMPARE(b.Find(u"ll"), 3);
    }
};

QTEST_GUILESS_MAIN(TestStringBuilder)
#include "test_string_builder.moc"
