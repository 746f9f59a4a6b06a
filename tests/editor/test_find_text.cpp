// Finding and replacing in the rows, and the page jumps, as plain functions.

#include "editor/find_text.h"

#include <QtTest>

using namespace kinoleaf;
using namespace kinoleaf::find;

namespace {

// Intros may hold " :": only the first one ends the name.
const QStringList kRows = {"a.jpg :雨中Rain rain", "b.jpg", "rain.jpg :", "c.jpg :RAIN and rain :x", "d.jpg :晴"};

// Every match, gone through from the first page as F3 goes; each step's
// index must be the one before plus one, and the last step wraps.
QString placesOf(const QStringList& rows, const QString& needle, const Options& options) {
    QStringList out;
    Found f = findFrom(rows, needle, options, 0, 0, true, true);
    for (int expected = 0; f.index >= 0 && !f.wrapped; ++expected) {
        if (f.index != expected || f.match.length != needle.size()) return QStringLiteral("bad step");
        out << QStringLiteral("%1@%2%3").arg(f.match.row).arg(f.match.at).arg(f.match.inName ? "n" : "");
        f = findFrom(rows, needle, options, f.match.row, f.match.at, true, false);
    }
    if (f.total != out.size() || (f.total > 0 && f.index != 0)) return QStringLiteral("bad count");
    return out.join(' ');
}

} // namespace

class TestFindText : public QObject {
    Q_OBJECT
private slots:
    void findsInPartsAsAsked_data() {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("inNames");
        QTest::addColumn<QString>("places");
        QTest::newRow("any case") << "rain" << false << false << "0@9 0@14 3@7 3@16";
        QTest::newRow("exact case") << "rain" << true << false << "0@14 3@16";
        QTest::newRow("names too") << "rain" << false << true << "0@9 0@14 2@0n 3@7 3@16";
        QTest::newRow("name extension") << ".jpg" << false << true << "0@1n 1@1n 2@4n 3@1n 4@1n";
        QTest::newRow("separator in an intro") << " :x" << false << false << "3@20";
        QTest::newRow("never across the parts") << "jpg :" << false << true << "";
        QTest::newRow("empty needle") << "" << false << true << "";
    }
    void findsInPartsAsAsked() {
        QFETCH(QString, needle);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, inNames);
        QFETCH(QString, places);
        const Options options{caseSensitive, inNames};
        QCOMPARE(placesOf(kRows, needle, options), places);
        QCOMPARE(countAll(kRows, needle, options), qsizetype(places.isEmpty() ? 0 : places.count(' ') + 1));
    }

    // Not overlapping; letters beyond ASCII fold as Qt folds them.
    void matchesInOtherTexts() {
        QCOMPARE(placesOf({"x.jpg :aaaaa"}, "aa", {}), QStringLiteral("0@7 0@9"));
        QCOMPARE(placesOf({"x.jpg :AaAaA"}, "aA", {}), QStringLiteral("0@7 0@9"));
        QCOMPARE(placesOf({"x.jpg :Ärger ärger ÄRGER"}, "äRGER", {}), QStringLiteral("0@7 0@13 0@19"));
        QCOMPARE(placesOf({"x.jpg :Ärger ärger"}, "ärger", {true, false}), QStringLiteral("0@13"));
        QCOMPARE(placesOf({"x.jpg :ΣΟΦΙΑ σοφια"}, "σοφ", {}), QStringLiteral("0@7 0@13"));
    }

    // Matches at 0@9 0@14 2@0 3@7 3@16; the count comes with the one gone to.
    void stepsWrapAtEitherEnd_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("at");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<bool>("inclusive");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("wrapped");
        QTest::newRow("from a page start") << 1 << 0 << true << true << 2 << false;
        QTest::newRow("after the current match") << 2 << 0 << true << false << 3 << false;
        QTest::newRow("past the last wraps to the first") << 3 << 16 << true << false << 0 << true;
        QTest::newRow("previous") << 3 << 7 << false << false << 2 << false;
        QTest::newRow("previous from the first wraps to the last") << 0 << 9 << false << false << 4 << true;
    }
    void stepsWrapAtEitherEnd() {
        QFETCH(int, row);
        QFETCH(int, at);
        QFETCH(bool, forward);
        QFETCH(bool, inclusive);
        QFETCH(int, index);
        QFETCH(bool, wrapped);
        const Options options{false, true};
        const Found found = findFrom(kRows, "rain", options, row, at, forward, inclusive);
        QCOMPARE(found.index, index);
        QCOMPARE(found.wrapped, wrapped);
        QCOMPARE(found.total, qsizetype(5));
        QCOMPARE(placesOf(kRows, "rain", options).split(' ')[index],
                 QStringLiteral("%1@%2%3").arg(found.match.row).arg(found.match.at).arg(found.match.inName ? "n" : ""));
        QCOMPARE(findFrom(kRows, "snow", options, row, at, forward, inclusive).index, -1);
    }

    void replacesIntrosOnly_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("changedRows");
        QTest::newRow("names stay") << QStringList{"rain.jpg :rain", "rain.jpg", "x.jpg :no"} << "rain" << "snow"
                                    << false << QStringList{"rain.jpg :snow", "rain.jpg", "x.jpg :no"} << 1
                                    << QList<int>{0};
        QTest::newRow("any case") << kRows << "rain" << "雪" << false
                                  << QStringList{"a.jpg :雨中雪 雪", "b.jpg", "rain.jpg :", "c.jpg :雪 and 雪 :x", "d.jpg :晴"}
                                  << 4 << QList<int>{0, 3};
        QTest::newRow("replacement holds the needle") << QStringList{"x.jpg :a-a"} << "a" << "aa" << true
                                                      << QStringList{"x.jpg :aa-aa"} << 2 << QList<int>{0};
        QTest::newRow("same text counts, changes no row") << QStringList{"x.jpg :ab"} << "ab" << "ab" << true
                                                         << QStringList{"x.jpg :ab"} << 1 << QList<int>{};
        QTest::newRow("separator text in an intro") << QStringList{"x.jpg :a :b"} << " :" << "：" << true
                                                    << QStringList{"x.jpg :a：b"} << 1 << QList<int>{0};
    }
    void replacesIntrosOnly() {
        QFETCH(QStringList, rows);
        QFETCH(QString, needle);
        QFETCH(QString, replacement);
        QFETCH(bool, caseSensitive);
        QFETCH(QStringList, after);
        QFETCH(int, count);
        QFETCH(QList<int>, changedRows);
        const Replaced r = replaceAll(rows, needle, replacement, {caseSensitive, true});
        QCOMPARE(r.count, qsizetype(count));
        QStringList applied = rows;
        QList<int> changed;
        for (const RowChange& c : r.changes) {
            QCOMPARE(c.before, rows[c.row]);
            applied[c.row] = c.after;
            changed << c.row;
        }
        QCOMPARE(applied, after);
        QCOMPARE(changed, changedRows);
    }

    // A match taken as the place to replace must still be that text there.
    void aMatchGoneIsNoMatch() {
        QStringList rows{"rain.jpg :Rain"};
        const Match name{0, 0, 4, true}, intro{0, 10, 4, false};
        QVERIFY(stillMatches(rows, intro, "rain", {}));
        QVERIFY(!stillMatches(rows, intro, "rain", {true, false}));
        rows[0] = "rain.jpg :雪";
        QVERIFY(!stillMatches(rows, intro, "rain", {}));
        rows[0] = "x :rain.jpg";  // the intro moved in under the name's match
        QVERIFY(!stillMatches(rows, name, "rain", {}));
    }

    void refusesWhatTheScriptCannotHold() {
        QVERIFY(refusedReplacement("雪、Snow：“好”").isEmpty());
        QVERIFY(refusedReplacement(QStringLiteral("雪😀")).contains(QStringLiteral("😀")));
        QVERIFY(!refusedReplacement("a\r\nb").isEmpty());
        QVERIFY(!refusedReplacement("a\nb").isEmpty());
    }

    void readsPageNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");  // −1: refused
        QTest::newRow("plain") << "3" << 2;
        QTest::newRow("full width") << "０５" << 4;
        QTest::newRow("zero") << "0" << -1;
        QTest::newRow("past the end") << "11" << -1;
        QTest::newRow("huge") << "99999999999999999999" << -1;
        QTest::newRow("words") << "第三页" << -1;
    }
    void readsPageNumbers() {
        QFETCH(QString, typed);
        QFETCH(int, row);
        const PageNumber p = parsePageNumber(typed, 10);
        QCOMPARE(p.row.value_or(-1), row);
        QCOMPARE(p.why.isEmpty(), row >= 0);
        QVERIFY(!parsePageNumber("1", 0).row);
    }
};

QTEST_GUILESS_MAIN(TestFindText)
#include "test_find_text.moc"
