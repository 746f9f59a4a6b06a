#include "editor/find_text.h"

#include "model/page_row.h"
#include "platform/gbk_codec.h"

#include <QStringMatcher>

#include <algorithm>
#include <string>
#include <string_view>

namespace kinoleaf::find {
namespace {

// A needle without letters that have cases (most Chinese text) matches
// only itself, whatever the case option.
bool hasCase(const QString& needle) {
    return std::any_of(needle.begin(), needle.end(), [](QChar c) {
        // Beyond the BMP: left to the folding search.
        return c.isSurrogate() || c.toLower() != c || c.toUpper() != c || c.toCaseFolded() != c;
    });
}

constexpr char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

// One needle searched in many short texts. Without cases to fold, a scan
// for its first character is the faster: Boyer-Moore's skip table keys on
// the low byte of a character and collides all over Chinese text. An ASCII
// needle in any case is scanned for the first character's two cases; only
// other needles go through Qt's folding search.
class Finder {
public:
    Finder(const QString& needle, bool caseSensitive)
        : m_mode(caseSensitive || !hasCase(needle) ? Mode::Exact
                 : std::all_of(needle.begin(), needle.end(), [](QChar c) { return c.unicode() < 0x80; })
                     ? Mode::Ascii
                     : Mode::Folding),
          m_needle(reinterpret_cast<const char16_t*>(needle.utf16()), size_t(needle.size())),
          m_matcher(needle, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) {
        if (m_mode != Mode::Ascii) return;
        for (char16_t c : m_needle) m_lower.push_back(asciiLower(c));
        m_first[0] = m_lower[0];
        m_first[1] = QChar::toUpper(m_lower[0]);
    }
    qsizetype indexIn(QStringView text, qsizetype from) const {
        const std::u16string_view t(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
        if (m_mode == Mode::Exact) {
            const size_t at = t.find(m_needle, size_t(from));
            return at == std::u16string_view::npos ? -1 : qsizetype(at);
        }
        if (m_mode == Mode::Folding) return m_matcher.indexIn(text, from);
        const size_t m = m_lower.size();
        for (size_t i = size_t(from); i + m <= t.size(); ++i) {
            if (t[i] != m_first[0] && t[i] != m_first[1]) continue;
            size_t k = 1;
            while (k < m && asciiLower(t[i + k]) == m_lower[k]) ++k;
            if (k == m) return qsizetype(i);
        }
        return -1;
    }

private:
    enum class Mode { Exact, Ascii, Folding } m_mode;
    std::u16string_view m_needle;  // into the caller's needle, which outlives this
    QStringMatcher m_matcher;
    std::u16string m_lower;
    char16_t m_first[2] = {};
};

// Calls found(at, inName) for each match in row (offsets into the row) of
// the parts searched. Views into the row: no copy of any row is made.
template <typename Found>
void forEachMatch(QStringView row, const Finder& matcher, qsizetype length, bool inNames,
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

qsizetype countAll(const QStringList& rows, const QString& needle, const Options& options) {
    if (needle.isEmpty()) return 0;
    const Finder matcher(needle, options.caseSensitive);
    qsizetype count = 0;
    for (const QString& row : rows) forEachMatch(row, matcher, needle.size(), options.inNames, [&](int, bool) { ++count; });
    return count;
}

Found findFrom(const QStringList& rows, const QString& needle, const Options& options, int row, int at,
               bool forward, bool inclusive) {
    Found result;
    if (needle.isEmpty()) return result;
    const Finder matcher(needle, options.caseSensitive);
    const int length = int(needle.size());
    const std::pair place(row, at);
    Match first, last;
    for (int r = 0; r < rows.size(); ++r) {
        forEachMatch(rows[r], matcher, length, options.inNames, [&](int a, bool inName) {
            const Match m{r, a, length, inName};
            const std::pair here(r, a);
            if (result.total == 0) first = m;
            if (forward ? result.index < 0 && (inclusive ? here >= place : here > place) : here < place) {
                result.match = m;
                result.index = int(result.total);
            }
            last = m;
            ++result.total;
        });
    }
    if (result.total > 0 && result.index < 0) {
        // Nothing on that side of the place: round the end.
        result.match = forward ? first : last;
        result.index = forward ? 0 : int(result.total) - 1;
        result.wrapped = true;
    }
    return result;
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
    const Finder matcher(needle, options.caseSensitive);
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
