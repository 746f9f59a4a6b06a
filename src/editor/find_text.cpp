#include "editor/find_text.h"

#include "model/page_row.h"
#include "platform/gbk_codec.h"

#include <QStringMatcher>

#include <algorithm>

namespace kinoleaf::find {
namespace {

// Calls found(at, inName) for each match in row (offsets into the row) of
// the parts searched. Views into the row: no copy of any row is made.
template <typename Found>
void forEachMatch(QStringView row, const QStringMatcher& matcher, qsizetype length, bool inNames,
                  Found&& found) {
    const qsizetype sep = row.indexOf(kRowSeparator);
    const auto scan = [&](QStringView part, qsizetype base, bool inName) {
        for (qsizetype i = matcher.indexIn(part, 0); i >= 0; i = matcher.indexIn(part, i + length))
            found(int(base + i), inName);
    };
    if (inNames) scan(sep < 0 ? row : row.left(sep), 0, true);
    if (sep >= 0) scan(row.mid(sep + kRowSeparator.size()), sep + kRowSeparator.size(), false);
}

} // namespace

int introStart(QStringView row) {
    const qsizetype sep = row.indexOf(kRowSeparator);
    return int(sep < 0 ? row.size() : sep + kRowSeparator.size());
}

std::vector<Match> findAll(const QStringList& rows, const QString& needle, const Options& options) {
    std::vector<Match> matches;
    if (needle.isEmpty()) return matches;
    const QStringMatcher matcher(needle, options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const int length = int(needle.size());
    for (int r = 0; r < rows.size(); ++r) {
        forEachMatch(rows[r], matcher, length, options.inNames,
                     [&](int at, bool inName) { matches.push_back({r, at, length, inName}); });
    }
    return matches;
}

qsizetype countAll(const QStringList& rows, const QString& needle, const Options& options) {
    if (needle.isEmpty()) return 0;
    const QStringMatcher matcher(needle, options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    qsizetype count = 0;
    for (const QString& row : rows) forEachMatch(row, matcher, needle.size(), options.inNames, [&](int, bool) { ++count; });
    return count;
}

Step step(const std::vector<Match>& matches, int row, int at, bool forward, bool inclusive) {
    if (matches.empty()) return {};
    const auto before = [](const Match& m, std::pair<int, int> place) { return std::pair(m.row, m.at) < place; };
    const std::pair place(row, at);
    if (forward) {
        auto it = inclusive ? std::lower_bound(matches.begin(), matches.end(), place, before)
                            : std::upper_bound(matches.begin(), matches.end(), place,
                                               [](std::pair<int, int> p, const Match& m) { return p < std::pair(m.row, m.at); });
        if (it == matches.end()) return {0, true};
        return {int(it - matches.begin()), false};
    }
    const auto it = std::lower_bound(matches.begin(), matches.end(), place, before);
    if (it == matches.begin()) return {int(matches.size()) - 1, true};
    return {int(it - matches.begin()) - 1, false};
}

QString countText(int index, qsizetype total) {
    if (total <= 0 || index < 0) return QStringLiteral("没有找到");
    return QStringLiteral("第 %1 / %2 处").arg(index + 1).arg(total);
}

QString refusedReplacement(const QString& replacement) {
    if (replacement.contains(u'\r') || replacement.contains(u'\n'))
        return QStringLiteral("替换文字不能含换行：一页的解说只有一行。");
    const QString lost = gbk::unrepresentable(replacement);
    if (!lost.isEmpty())
        return QStringLiteral("替换文字中有脚本文件（GBK 编码）存不下的字符：%1\n保存后它们会变成“?”，所以没有替换。").arg(lost);
    return {};
}

bool stillMatches(const QStringList& rows, const Match& m, const QString& needle, const Options& options) {
    if (m.row < 0 || m.row >= rows.size() || needle.isEmpty() || m.length != needle.size()) return false;
    const QStringView row(rows[m.row]);
    if (m.at < 0 || m.at + m.length > row.size()) return false;
    // The place must still lie wholly in the part it was found in.
    const qsizetype sep = row.indexOf(kRowSeparator);
    const bool inName = sep < 0 || m.at + m.length <= sep;
    const bool inIntro = sep >= 0 && m.at >= sep + kRowSeparator.size();
    if (m.inName ? !inName : !inIntro) return false;
    return row.mid(m.at, m.length).compare(needle, options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

Replaced replaceAll(const QStringList& rows, const QString& needle, const QString& replacement,
                    const Options& options) {
    Replaced result;
    if (needle.isEmpty()) return result;
    const QStringMatcher matcher(needle, options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const qsizetype length = needle.size();
    for (int r = 0; r < rows.size(); ++r) {
        const QString& row = rows[r];
        const int intro = introStart(row);
        if (intro >= row.size()) continue;
        const QStringView part = QStringView(row).mid(intro);
        qsizetype i = matcher.indexIn(part, 0);
        if (i < 0) continue;  // most rows: nothing built
        QString after;
        after.reserve(row.size() + 16);
        after.append(QStringView(row).left(intro));
        qsizetype copied = 0;
        for (; i >= 0; i = matcher.indexIn(part, i + length)) {
            after.append(part.mid(copied, i - copied));
            after.append(replacement);
            copied = i + length;
            ++result.count;
        }
        after.append(part.mid(copied));
        if (after != row) result.changes.append({r, row, after});
    }
    return result;
}

QString replaceOne(const QString& row, const Match& m, const QString& replacement) {
    QString after = row;
    after.replace(m.at, m.length, replacement);
    return after;
}

int nextPageWithoutIntro(const QStringList& rows, int from) {
    const int n = int(rows.size());
    if (n == 0) return -1;
    const int start = from >= 0 && from < n ? from : n - 1;
    for (int k = 1; k <= n; ++k) {
        const int r = (start + k) % n;
        const QStringView row(rows[r]);
        if (row.mid(introStart(row)).trimmed().isEmpty()) return r;
    }
    return -1;
}

PageNumber parsePageNumber(const QString& typed, int pageCount) {
    if (pageCount <= 0) return {std::nullopt, QStringLiteral("还没有页面可以跳转。")};
    QString digits = typed.trimmed();
    // Typed with a Chinese input method, digits come full-width.
    for (QChar& c : digits)
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) c = QChar(u'0' + (c.unicode() - 0xFF10));
    const bool allDigits = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (!allDigits)
        return {std::nullopt, QStringLiteral("“%1”不是页码，请输入 1 到 %2 之间的数字。").arg(typed.trimmed()).arg(pageCount)};
    bool ok = false;
    const qlonglong page = digits.size() <= 12 ? digits.toLongLong(&ok) : 0;
    if (!ok || page < 1 || page > pageCount)
        return {std::nullopt, QStringLiteral("没有第 %1 页：页码从 1 到 %2。").arg(digits).arg(pageCount)};
    return {int(page - 1), {}};
}

} // namespace kinoleaf::find
