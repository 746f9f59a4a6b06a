#include "util/json.h"

#include <QtTest>

using kinoleaf::JsonValue;
namespace JSON = kinoleaf::JSON;

namespace {
QString number(const JsonValue& v) { return v.isNumber() ? v.toNumber().toString() : QStringLiteral("<not a number>"); }
QString errorsOf(const QString& text) {
    JSON::Parse(text);
    return JSON::ParserErrors();
}
} // namespace

class TestJson : public QObject {
    Q_OBJECT
private slots:
    void roots() {
        JsonValue v = JSON::Parse(u"{}");
        QVERIFY(v.isDictionary());
        QCOMPARE(v.count(), 0);
        QCOMPARE(JSON::ParserErrors(), QString());
        QVERIFY(JSON::Parse(u"[]").isList());

        v = JSON::Parse(u"( {'a':1} ) trailing text is ignored");
        QCOMPARE(number(v[QStringLiteral("a")]), QStringLiteral("1"));
        QCOMPARE(JSON::ParserErrors(), QString());

        QVERIFY(JSON::Parse(u"abc").isEmpty());
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Invalid JSON"));
        QVERIFY(JSON::Parse(u"").isEmpty());
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Invalid JSON"));
        // A good parse after a bad one starts with a clean error text.
        JSON::Parse(u"[1]");
        QCOMPARE(JSON::ParserErrors(), QString());
    }

    void ignorableText() {
        JsonValue v = JSON::Parse(u"// a comment\n[1]");
        QCOMPARE(v.count(), 1);
        QCOMPARE(number(v.item(1)), QStringLiteral("1"));
        v = JSON::Parse(u"/* x */[1]");
        QCOMPARE(v.count(), 1);
        // A block comment closes at a "/" anywhere after a "*".
        v = JSON::Parse(u"/* a * b / [2, /*c*/ 3 * , / 4]");
        QCOMPARE(v.count(), 3);
        QCOMPARE(number(v.item(3)), QStringLiteral("4"));
        // Inside a line comment a single "/" ends the comment.
        QVERIFY(JSON::Parse(u"// a/[5]").isList());
        QCOMPARE(JSON::ParserErrors(), QString());
    }

    void objectsAndNames() {
        JsonValue v = JSON::Parse(u"{a:1, 'b':'x', c : true, \"d\":null, e:false}");
        QCOMPARE(JSON::ParserErrors(), QString());
        const auto* d = v.dictionary();
        QVERIFY(d);
        QCOMPARE(d->count(), 5);
        QCOMPARE(d->nameAt(0), QStringLiteral("a"));
        QCOMPARE(d->nameAt(4), QStringLiteral("e"));
        QCOMPARE(v[QStringLiteral("b")].toText(), QStringLiteral("x"));
        QVERIFY(v[QStringLiteral("c")].toBoolean());
        QVERIFY(v[QStringLiteral("d")].isNull());
        QVERIFY(v[QStringLiteral("e")].isBoolean() && !v[QStringLiteral("e")].toBoolean());
        QVERIFY(v[QStringLiteral("A")].isEmpty());  // names are exact
        QVERIFY(v[QStringLiteral("missing")].isEmpty());

        v = JSON::Parse(u"{'a':1 'b':2}");
        QCOMPARE(v.count(), 2);
        v = JSON::Parse(u"{'my name' : 1, ,x:2}");
        QCOMPARE(v.dictionary()->nameAt(0), QStringLiteral("myname"));
        QCOMPARE(v.dictionary()->nameAt(1), QStringLiteral(",x"));  // one comma only is consumed
        v = JSON::Parse(u"{'a:b':1, \"x\ty z\":2}");
        QCOMPARE(v.dictionary()->nameAt(0), QStringLiteral("a:b"));
        QCOMPARE(v.dictionary()->nameAt(1), QStringLiteral("xyz"));
    }

    void objectErrors() {
        JsonValue v = JSON::Parse(u"{'a':1,'a':2,'b':3}");
        QCOMPARE(v.count(), 1);
        QCOMPARE(number(v[QStringLiteral("a")]), QStringLiteral("1"));
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Member name already present: a\r\n"));

        v = JSON::Parse(u"{'a':1");
        QCOMPARE(v.count(), 1);
        QVERIFY(v[QStringLiteral("a")].isEmpty());
        QVERIFY(v.dictionary()->contains(QStringLiteral("a")));
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Missing '}': {'a':1\r\n"));

        JSON::Parse(u"{'key':'value', 'other': 'x'");
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Missing '}': value', 'other': 'x'\r\n"));

        v = JSON::Parse(u"{'n':-}");
        QCOMPARE(v.count(), 0);
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Type mismatch: n\r\n"));
        QCOMPARE(errorsOf(u"{'n':1e99}"_qs), QStringLiteral("Overflow: n\r\n"));

        QCOMPARE(errorsOf(u"{\"a\" 1}"_qs), QStringLiteral("Invalid Key at position 6 : a\r\n"));
        // The outer reader keeps the part of the inner object read before the stop.
        v = JSON::Parse(u"{'o':{'x':1,'x':2}}");
        QCOMPARE(v[QStringLiteral("o")].count(), 1);
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Member name already present: x\r\n"));
    }

    void literals() {
        JsonValue v = JSON::Parse(u"{a:tru, b:nul}");
        QCOMPARE(JSON::ParserErrors(),
                 QStringLiteral("Invalid Boolean at position 4 : tru, b:nul}\r\n"
                                "Invalid null value at position 11 : nul}\r\n"
                                "Missing '}': {a:tru, b:nul}\r\n"));
        QVERIFY(v[QStringLiteral("a")].isBoolean());
        QVERIFY(v[QStringLiteral("b")].isEmpty());

        // In an array the bad literal ends the array, so the parse ends.
        v = JSON::Parse(u"[1, tru, 2]");
        QCOMPARE(v.count(), 1);
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Invalid Boolean at position 5 : tru, 2]\r\n"));
        v = JSON::Parse(u"[[nul], 3]");
        QCOMPARE(v.count(), 1);
        QCOMPARE(v.item(1).count(), 0);
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Invalid null value at position 3 : nul], 3]\r\n"
                                                      "Invalid null value at position 3 : nul], 3]\r\n"));
    }

    void arrays() {
        JsonValue v = JSON::Parse(u"[1.50, 'x', [true], {}, null]");
        QCOMPARE(JSON::ParserErrors(), QString());
        QCOMPARE(v.count(), 5);
        QCOMPARE(number(v.item(1)), QStringLiteral("1.5"));
        QCOMPARE(v.item(3).item(1).toBoolean(), true);
        QVERIFY(v.item(4).isDictionary());
        QVERIFY(v.item(5).isNull());
        QVERIFY(v.item(0).isEmpty());
        QVERIFY(v.item(6).isEmpty());

        v = JSON::Parse(u"['abc");
        QCOMPARE(v.item(1).toText(), QStringLiteral("abc"));
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Missing ']': ['abc\r\n"));

        v = JSON::Parse(u"[1, 2x, 3]");
        QCOMPARE(v.count(), 2);
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Type mismatch: x, 3]\r\n"));
        JSON::Parse(u"[1, 2-3 , 4, 5, 6, 7, 8, 9, 10]");
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Type mismatch:  , 4, 5, 6, 7, 8, 9,\r\n"));
        // A number running into the end is dropped without an error of its own.
        v = JSON::Parse(u"[7");
        QCOMPARE(v.count(), 1);
        QVERIFY(v.item(1).isEmpty());
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Missing ']': [7\r\n"));
        // Cut off right after a comma: an empty value, then the missing bracket.
        v = JSON::Parse(u"[,");
        QCOMPARE(v.count(), 1);
        QVERIFY(v.item(1).isEmpty());
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Missing ']': [,\r\n"));
        v = JSON::Parse(u"{'list':[1, ");
        QCOMPARE(v[QStringLiteral("list")].count(), 2);
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Missing ']': {'list':[1, \r\n"
                                                      "Missing '}': {'list':[1, \r\n"));
    }

    void strings() {
        JsonValue v = JSON::Parse(u"['\\u0041\\n', 'a\\qb', \"it's\", '\\\"\\'\\/\\\\\\b\\f\\r\\t']");
        QCOMPARE(v.item(1).toText(), QStringLiteral("A\n"));
        QCOMPARE(v.item(2).toText(), QStringLiteral("aqb"));
        QCOMPARE(v.item(3).toText(), QStringLiteral("it's"));
        QCOMPARE(v.item(4).toText(), QStringLiteral("\"'/\\\b\f\r\t"));
        // Lone surrogates are kept as code units.
        v = JSON::Parse(u"['\\ud83d', '\\uD83D\\uDE00']");
        QCOMPARE(v.item(1).toText().size(), 1);
        QCOMPARE(v.item(1).toText().at(0).unicode(), char16_t(0xD83D));
        QCOMPARE(v.item(2).toText(), QString::fromUtf8("\xF0\x9F\x98\x80"));
        // Short hex reads what it has and still steps over four characters.
        v = JSON::Parse(u"['\\u4g__', 'x']");
        QCOMPARE(v.item(1).toText(), QString(QChar(0x4)));
        QCOMPARE(v.item(2).toText(), QStringLiteral("x"));
        // Texts longer than one builder chunk come back whole.
        const QString longText(20000, QLatin1Char('z'));
        v = JSON::Parse(QStringLiteral("['") + longText + QStringLiteral("', 'after']"));
        QCOMPARE(v.item(1).toText(), longText);
        QCOMPARE(v.item(2).toText(), QStringLiteral("after"));
    }

    void deepNestingStops() {
        const int depth = 100000;
        const QString text = QString(depth, QLatin1Char('[')) + QString(depth, QLatin1Char(']'));
        const JsonValue v = JSON::Parse(text);
        QVERIFY(v.isList());
        QVERIFY(JSON::ParserErrors().startsWith(QStringLiteral("Nesting deeper than 512 levels: [[[[")));
        int levels = 0;
        for (JsonValue at = v; at.isList(); at = at.item(1)) ++levels;
        QCOMPARE(levels, JSON::kMaxNesting);

        JSON::Parse(QString(JSON::kMaxNesting, QLatin1Char('[')) + QString(JSON::kMaxNesting, QLatin1Char(']')));
        QCOMPARE(JSON::ParserErrors(), QString());
    }

    void largeObjectsLookUpByName() {
        QString text = QStringLiteral("{");
        for (int k = 0; k < 100; ++k) text += QStringLiteral("k%1:%1,").arg(k);
        text += QStringLiteral("k5:0}");
        const JsonValue v = JSON::Parse(text);
        QCOMPARE(v.count(), 100);
        QCOMPARE(number(v[QStringLiteral("k77")]), QStringLiteral("77"));
        QCOMPARE(v.dictionary()->nameAt(99), QStringLiteral("k99"));
        QCOMPARE(JSON::ParserErrors(), QStringLiteral("Member name already present: k5\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestJson)
#include "test_json.moc"
