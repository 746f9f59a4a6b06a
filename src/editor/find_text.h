#pragma once
// Finding and replacing text in the page rows, and the page jumps: plain
// functions over the rows as the main window holds them. A match is placed
// by its row and its offset in the whole row text, so matches order as the
// pages and their text do; replacing touches only the intro part of a row.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kinoleaf::find {

struct Options {
    bool caseSensitive = false;
    bool inNames = false;  // image names are searched too (never replaced)
};

struct Match {
    int row = -1;
    int at = 0;       // offset in the row text
    int length = 0;
    bool inName = false;
    bool operator==(const Match&) const = default;
};

// Where the intro of a row begins in its text; the row's length when it
// has no intro part.
int introStart(QStringView row);

// How many times needle is found, not overlapping within a part. An empty
// needle matches nothing.
qsizetype countAll(const QStringList& rows, const QString& needle, const Options& options);

// The match to go to from a place (row, at), wrapping at either end, with
// its index among all matches and their count, in one pass over the rows
// and no list of matches. Forward takes the first match at or after the
// place (after, when inclusive is false); backward the last one before it.
// index −1 when there are none.
struct Found {
    Match match;
    int index = -1;
    qsizetype total = 0;
    bool wrapped = false;
};
Found findFrom(const QStringList& rows, const QString& needle, const Options& options, int row, int at,
               bool forward, bool inclusive);

// "第 3 / 17 处" for index 2 of 17; "没有找到" when there are none.
QString countText(int index, qsizetype total);

// Why the text cannot go into an intro ("" when it can): a line break
// would split the page's row, and characters GBK cannot hold would be
// lost when the script is saved.
QString refusedReplacement(const QString& replacement);

// The match still stands in the rows as found: same row, same text there.
bool stillMatches(const QStringList& rows, const Match& m, const QString& needle, const Options& options);

struct RowChange {
    int row;
    QString before, after;
};
struct Replaced {
    QList<RowChange> changes;  // the rows that change, in order
    qsizetype count = 0;       // the matches replaced
};
// Every match in the intros replaced; image names are left as they are.
Replaced replaceAll(const QStringList& rows, const QString& needle, const QString& replacement,
                    const Options& options);
// The row with one match (an intro's) replaced.
QString replaceOne(const QString& row, const Match& m, const QString& replacement);

// The first page after from with an empty intro (blanks count as empty),
// wrapping round to from itself; −1 when every page has an intro.
int nextPageWithoutIntro(const QStringList& rows, int from);

// A page number as typed (1-based, full-width digits too) to a row, or why
// not.
struct PageNumber {
    std::optional<int> row;
    QString why;
};
PageNumber parsePageNumber(const QString& typed, int pageCount);

} // namespace kinoleaf::find
