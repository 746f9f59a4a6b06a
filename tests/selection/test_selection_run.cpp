// The selection run as a plain function: the worked cases row for row, the
// gap tables (with the guards against a table that can't end), the log
// line's figures and the number boxes' reading.

#include "selection/selection_run.h"

#include <QtTest>

using namespace kinoleaf::selection;

namespace {

QList<int> steps(int from, int to, int step = 1) {
    QList<int> out;
    for (int i = from; i <= to; i += step) out.append(i);
    return out;
}

Settings settingsOf(int mode, int target, const QList<int>& bands, int minGap) {
    Settings s;
    s.mode = mode;
    s.cutRestCount = qint16(target);
    s.minCutRest = 4;
    for (int b : bands) s.bands[std::size_t(b - 1)] = true;
    s.minPieceSize = qint16(minGap);
    return s;
}

// Row 1's intro is spaces only, which is no intro.
QStringList makeRows(int n, const QList<int>& introRows) {
    QStringList rows;
    for (int p = 0; p < n; ++p) rows.append(QStringLiteral("%1.jpg :%2").arg(p).arg(introRows.contains(p) ? "解说" : p == 1 ? "  " : ""));
    return rows;
}

} // namespace

class TestSelectionRun : public QObject {
    Q_OBJECT
private slots:
    void workedCases() {
        struct Case {
            const char* name;
            int mode, n, target;
            QList<int> ticked, bands;
            int minGap;
            QList<int> intros;
            bool keepIntro, keepSel;
            QList<int> kept;               // exact; empty: the two below
            QList<int> includes, excludes;
        };
        const Case cases[] = {
            {"linear 100/50: gap 2, 34 rows", 0, 100, 50, {}, {}, 0, {}, true, false, steps(0, 99, 3), {}, {}},
            {"linear 1333/100: gap 13, 96 rows", 0, 1333, 100, {}, {}, 0, {}, true, false, steps(0, 1330, 14), {}, {}},
            {"linear N = T = 10", 0, 10, 10, {}, {}, 0, {}, true, false, {0, 2, 4, 6, 8}, {}, {}},
            {"linear, ticked row keeps the rhythm", 0, 20, 5, {7}, {}, 0, {}, true, false, {0, 5, 7, 10, 15}, {}, {}},
            {"curve, ticked row restarts it", 1, 20, 5, {7}, {}, 0, {}, true, false, {0, 4, 7, 11, 12, 14, 16, 19}, {}, {}},
            {"intro row, 保留均衡", 0, 20, 5, {}, {}, 0, {2}, true, true, {0, 2, 7, 12, 17}, {}, {}},
            {"intro row, no 保留均衡", 0, 20, 5, {}, {}, 0, {2}, true, false, {0, 2, 5, 10, 15}, {}, {}},
            {"intro rows not kept", 0, 20, 5, {}, {}, 0, {2}, false, true, {0, 5, 10, 15}, {}, {}},
            {"curve 100/10, no band", 1, 100, 10, {}, {}, 0, {}, true, false,
             {0, 8, 16, 22, 28, 33, 37, 40, 43, 46, 48, 50, 52, 54, 56, 58, 60, 63, 66, 70, 74, 79, 84, 90, 97}, {}, {}},
            {"curve 100/10, band 3", 1, 100, 10, {}, {3}, 0, {}, true, false,
             QList<int>{0, 11, 19} + steps(24, 32) + QList<int>{34, 36, 39, 43, 48, 54, 62, 72, 83, 94}, {}, {}},
            {"curve 100/10, bands 7 and 9", 1, 100, 10, {}, {7, 9}, 0, {}, true, false, {}, steps(62, 69), {60, 61}},
            // A negative minimum keeps every row where the gap is below 1: all
            // of them when every band is ticked, the middle when none is.
            {"negative minimum, every band", 1, 100, 10, {}, steps(1, 10), -3, {}, true, false, steps(0, 99), {}, {}},
            {"negative minimum, no band", 1, 100, 10, {}, {}, -3, {}, true, false, {}, steps(35, 68), {1, 98}},
        };
        for (const Case& c : cases) {
            Settings s = settingsOf(c.mode, c.target, c.bands, c.minGap);
            s.keepHaveIntro = c.keepIntro;
            s.keepSel = c.keepSel;
            std::vector<bool> ticks(std::size_t(c.n), false);
            for (int t : c.ticked) ticks[std::size_t(t)] = true;
            const Outcome out = Run(makeRows(c.n, c.intros), ticks, s);
            if (!c.kept.isEmpty()) QVERIFY2(out.kept == c.kept, c.name);
            for (int r : c.includes) QVERIFY2(out.kept.contains(r), c.name);
            for (int r : c.excludes) QVERIFY2(!out.kept.contains(r), c.name);
            QVERIFY2(out.cutRestCount == c.target, c.name);
        }
    }

    void tablesAndStoredFigures() {
        struct Case {
            const char* name;
            int mode, n, target;  // target 0: the minimum target (4) applies
            QList<int> bands;
            int minGap;
            QList<int> table;
            int inForce, maxGap;  // the maximum as the window keeps it
        };
        const Case cases[] = {
            {"linear, zero target", 0, 100, 0, {}, 0, {25}, 4, 20},
            {"curve, no band", 1, 100, 10, {}, 0, steps(0, 14), 10, 20},
            {"curve, minimum above twice the average", 1, 100, 10, steps(1, 10), 25, {25}, 10, 25},
            {"curve, minimum 1 over a zero average", 1, 12, 20, {}, 1, QList<int>(13, 1), 20, 1},
            // A target above N makes the average 0: entries that can't grow
            // end the table instead of looping for ever.
            {"curve, average 0", 1, 100, 200, {}, 0, {0}, 200, 0},
            {"curve, average 0, negative minimum", 1, 100, 200, {}, -3, {-3, -2, -1, 0}, 200, 0},
            {"curve, twice the average beyond 16 bits", 1, 30000, 1, {5}, 30000, {30000}, 1, 32767},
        };
        for (const Case& c : cases) {
            const Settings s = settingsOf(c.mode, c.target, c.bands, c.minGap);
            const PieceSizes t = MakePieceSizeList(c.n, s);
            QVERIFY2(QList<int>(t.pieceSizeList.begin(), t.pieceSizeList.end()) == c.table, c.name);
            QVERIFY2(t.cutRestCount == c.inForce && t.maxPieceSize == c.maxGap, c.name);
            QVERIFY2(t.storyCheckedCount == c.bands.size(), c.name);
            // Whatever the table, a run ends; with no positive gap it keeps all.
            const Outcome out = Run(makeRows(c.n, {}), {}, s, t);
            if (*std::max_element(c.table.begin(), c.table.end()) <= 0) QVERIFY2(out.kept.size() == c.n, c.name);
        }
    }

    void gapsAtTheEnds() {
        // The centre and width cases no worked case reaches: band 1 ending at
        // row 0 (N < 10), and band 10 ticked.
        const QList<qint16> table{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        const Settings first = settingsOf(1, 1, {1}, 0);
        QCOMPARE(GetPieceSizeAt(0, 5, first, table), qint16(0));
        QCOMPARE(GetPieceSizeAt(1, 5, first, table), qint16(4));
        QCOMPARE(GetPieceSizeAt(3, 5, first, table), qint16(10));
        const Settings both = settingsOf(1, 1, {1, 10}, 0);
        QCOMPARE(GetPieceSizeAt(55, 100, both, table), qint16(0));  // centre (10 + 90) / 2
        QCOMPARE(GetPieceSizeAt(30, 100, both, table), qint16(6));
    }

    void logLine() {
        QCOMPARE(LogLine(QStringLiteral("线性均分"), 50, 34, 100),
                 QStringLiteral("[线性均分完成！]目标筛选张数：50 张，实际筛选张数：34 张，减少：66.00%"));
        const std::pair<int, int> keptOf[] = {{7, 7}, {999, 1000}, {0, 3}, {1, 3}};
        const QStringList shown{"0.00", "0.10", "100.00", "66.67"};
        for (int i = 0; i < 4; ++i) QCOMPARE(ReductionText(keptOf[i].first, keptOf[i].second), shown[i]);
    }

    void numbers() {
        const std::pair<const char*, int> read[] = {
            {" 42 ", 42}, {"12.5", 12}, {"13.5", 14}, {"2.5000000000000000001", 3}, {"-2.5", -2},
            {".5", 0}, {"1.5e2", 150}, {"7e-5", 0}, {"32767.4", 32767}, {"-32768.5", -32768},
        };
        for (auto [text, value] : read) QVERIFY2(ReadInt16(QString::fromUtf8(text)) == qint16(value), text);
        for (const char* text : {"32767.5", "40000", "1e400", "abc", "12abc", "", "-", "3e", "1.2.3"})
            QVERIFY2(!ReadInt16(QString::fromUtf8(text)), text);
    }
};

QTEST_MAIN(TestSelectionRun)
#include "test_selection_run.moc"
