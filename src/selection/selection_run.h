#pragma once
// The selection run: thins a movie's rows to a target count by an even or a
// story-weighted rhythm, always keeping ticked rows and, if asked, rows with
// an intro.
//
// The window's figures are 16-bit as the user types them; row positions
// are ints, since a list may hold more rows than a 16-bit index reaches.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kinoleaf::selection {

inline constexpr int kBands = 10;
using BandTicks = std::array<bool, kBands>;  // band 1 at index 0

struct Settings {
    int mode = 0;              // ComboCutWay's index: 0 线性均分, 1 曲线抽样
    qint16 cutRestCount = 0;   // the target; 0 stands for minCutRest
    qint16 minCutRest = 1;
    bool keepHaveIntro = true;
    bool keepSel = false;      // 保留均衡: a kept intro row restarts the rhythm
    BandTicks bands{};         // the story-heavy bands (curve mode)
    qint16 minPieceSize = 0;
    qint16 maxPieceSize = 20;

    bool curve() const { return mode == 1; }
};

struct PieceSizes {
    QList<qint16> pieceSizeList;  // never empty
    qint16 cutRestCount = 0;      // the target in force
    qint16 maxPieceSize = 0;      // as it stays in the window after the run
    qint16 storyCheckedCount = 0;
};

// The gap table of the settings' mode over n rows (n > 0).
PieceSizes MakePieceSizeList(int n, const Settings& settings);
PieceSizes MakeLinearPieceSizeList(int n, const Settings& settings);
PieceSizes MakeCurvePieceSizeList(int n, const Settings& settings);

// The gap that follows row p (0 <= p < n).
qint16 GetPieceSizeAt(int p, int n, const Settings& settings, const QList<qint16>& pieceSizeList);

// True when the row's intro is more than spaces.
bool hasIntro(const QString& rowStr);
qsizetype countIntroRows(const QStringList& rows);

struct Outcome {
    QList<int> kept;  // row positions, ascending
    qint16 cutRestCount = 0;
    qint16 maxPieceSize = 0;
};

// Called before each row is looked at with its position.
using Progress = std::function<void(int row)>;

// One pass over the rows; ticks[i] is row i's tick (missing ones unticked).
Outcome Run(const QStringList& rows, const std::vector<bool>& ticks, const Settings& settings,
            const PieceSizes& table, const Progress& progress = {});
// The same with the table made for the settings.
Outcome Run(const QStringList& rows, const std::vector<bool>& ticks, const Settings& settings);

// (1 − kept / total) × 100 with two decimals: "66.00".
QString ReductionText(int kept, int total);
// The result window's log line.
QString LogLine(const QString& modeText, int target, int kept, int total);

// A number box's text as a 16-bit integer, halves to even ("12.5" → 12,
// "13.5" → 14); nullopt for text that is no number or lies beyond the range.
std::optional<qint16> ReadInt16(QStringView text);

// The first row of band k (0-based value 0..10, clamped): floor(n / 10 × k).
int StoryPartRow(int n, int value);

} // namespace kinoleaf::selection
