#include "util/json.h"

#include "util/string_builder.h"

#include <limits>
#include <memory>

namespace kinoleaf::JSON {
namespace {

// One error text for the whole program, as every caller expects to read the
// problems of the last Parse through ParserErrors().
QString g_errors;

constexpr QStringView kCrLf = u"\r\n";
constexpr qsizetype kExcerpt = 20;
// Positions are 32-bit; a "\u" escape may step up to four past the end.
constexpr qsizetype kMaxText = std::numeric_limits<std::int32_t>::max() - 8;

bool isNumberChar(char16_t c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

int hexValue(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendError(QStringView a, QStringView b = {}, QStringView c = {}, QStringView d = {}) {
    g_errors += a;
    g_errors += b;
    g_errors += c;
    g_errors += d;
    g_errors += kCrLf;
}

// The reading operations share the text and the position (1-based, passed by
// reference and advanced by each of them).
class Reader {
public:
    explicit Reader(QStringView text)
        : m_text(text.left(kMaxText)), m_length(std::int32_t(m_text.size())) {}

    // The character at a position, or -1 beyond the end.
    int at(std::int32_t position) const {
        return position >= 1 && position <= m_length ? m_text[position - 1].unicode() : -1;
    }

    void SkipIgnorable(std::int32_t& position) const;
    std::shared_ptr<JsonDictionary> ParseObject(std::int32_t& position);
    std::shared_ptr<JsonList> ParseArray(std::int32_t& position);
    bool ParseValue(std::int32_t& position, JsonValue& value, QString& failure);
    QString ParseString(std::int32_t& position);
    bool ParseNumber(std::int32_t& position, JsonValue& value, QString& failure) const;
    bool ParseBoolean(std::int32_t& position) const;
    JsonValue ParseNull(std::int32_t& position) const;
    QString ParseKey(std::int32_t& position) const;

    int depth = 1;  // the root is the first level

private:
    QStringView rest(std::int32_t position) const {
        return position <= m_length ? m_text.mid(position - 1) : QStringView();
    }
    QStringView excerpt(std::int32_t position) const { return rest(position).left(kExcerpt); }
    QStringView lastCharacters() const { return m_text.right(kExcerpt); }
    bool startsWith(std::int32_t position, QStringView word) const {
        return rest(position).startsWith(word);
    }

    QStringView m_text;
    std::int32_t m_length;
    cStringBuilder m_gather;  // reused for every quoted text of this parse
};

void Reader::SkipIgnorable(std::int32_t& position) const {
    bool pending = false, inComment = false, inBlock = false;
    while (position >= 1 && position <= m_length) {
        switch (m_text[position - 1].unicode()) {
        case '\r':
        case '\n':
            if (!inBlock) pending = inComment = false;
            break;
        case '\t':
        case ' ':
        case '(':
        case ')':
            break;
        case '/':
            if (!inBlock) {
                if (pending) {
                    pending = false;
                    inComment = true;
                } else {
                    pending = true;
                    inComment = inBlock = false;
                }
            } else if (pending) {
                pending = inComment = inBlock = false;
            }
            break;
        case '*':
            if (pending) {
                pending = false;
                inComment = inBlock = true;
            } else {
                pending = true;
            }
            break;
        default:
            if (!inComment) return;
        }
        ++position;
    }
}

std::shared_ptr<JsonDictionary> Reader::ParseObject(std::int32_t& position) {
    auto dictionary = std::make_shared<JsonDictionary>();
    SkipIgnorable(position);
    if (at(position) != '{') {
        appendError(u"Invalid Object at position ", QString::number(position), u" : ", rest(position));
        return dictionary;
    }
    ++position;
    for (;;) {
        SkipIgnorable(position);
        const int c = at(position);
        if (c == '}') {
            ++position;
            return dictionary;
        }
        if (c == ',') {
            ++position;
            SkipIgnorable(position);
        } else if (c < 0) {
            appendError(u"Missing '}': ", lastCharacters());
            return dictionary;
        }
        const QString name = ParseKey(position);
        JsonValue value;
        QString failure;
        bool ok = ParseValue(position, value, failure);
        if (ok && !dictionary->add(name, std::move(value))) {
            ok = false;
            failure = JsonDictionary::duplicateDescription();
        }
        if (!ok) {
            appendError(failure, u": ", name);
            return dictionary;
        }
    }
}

std::shared_ptr<JsonList> Reader::ParseArray(std::int32_t& position) {
    auto list = std::make_shared<JsonList>();
    SkipIgnorable(position);
    if (at(position) != '[') {
        appendError(u"Invalid Array at position ", QString::number(position), u" : ", excerpt(position));
        return list;
    }
    ++position;
    for (;;) {
        SkipIgnorable(position);
        const int c = at(position);
        if (c == ']') {
            ++position;
            return list;
        }
        if (c == ',') {
            ++position;
            SkipIgnorable(position);
        } else if (c < 0) {
            appendError(u"Missing ']': ", lastCharacters());
            return list;
        }
        const std::int32_t before = position;
        JsonValue value;
        QString failure;
        if (!ParseValue(position, value, failure)) {
            appendError(failure, u": ", excerpt(position));
            return list;
        }
        // Only an invalid literal reads nothing inside the text; it has written
        // its error line, and reading it again would never end. At the end of
        // the text the empty value is kept, and the next turn reports the
        // missing "]": a reply cut off after a comma must not pass as clean.
        if (position == before && at(position) >= 0) return list;
        list->append(std::move(value));
    }
}

bool Reader::ParseValue(std::int32_t& position, JsonValue& value, QString& failure) {
    SkipIgnorable(position);
    const int c = at(position);
    switch (c) {
    case '{':
    case '[':
        if (depth >= kMaxNesting) {
            failure = QStringLiteral("Nesting deeper than %1 levels").arg(kMaxNesting);
            return false;
        }
        ++depth;
        if (c == '{')
            value = JsonValue(ParseObject(position));
        else
            value = JsonValue(ParseArray(position));
        --depth;
        return true;
    case '"':
    case '\'':
        value = JsonValue(ParseString(position));
        return true;
    case 't':
    case 'f':
        value = JsonValue(ParseBoolean(position));
        return true;
    case 'n':
        value = ParseNull(position);
        return true;
    default:
        return ParseNumber(position, value, failure);
    }
}

QString Reader::ParseString(std::int32_t& position) {
    SkipIgnorable(position);
    const int quote = at(position);
    if (quote != '"' && quote != '\'') return {};
    ++position;
    m_gather.Remove(0, m_gather.Length());
    while (position <= m_length) {
        // Ordinary characters go in as one run rather than one by one.
        const std::int32_t runStart = position;
        int c = at(position);
        while (c >= 0 && c != '\\' && c != quote) c = at(++position);
        if (position > runStart) m_gather.Append(m_text.mid(runStart - 1, position - runStart));
        if (c < 0) break;
        ++position;
        if (c == quote) return m_gather.toString();

        const int e = at(position);
        switch (e) {
        case '"':
        case '\\':
        case '/':
        case '\'':
            m_gather.Append(QChar(char16_t(e)));
            ++position;
            break;
        case 'b': m_gather.Append(QChar(u'\b')); ++position; break;
        case 'f': m_gather.Append(QChar(u'\f')); ++position; break;
        case 'n': m_gather.Append(QChar(u'\n')); ++position; break;
        case 'r': m_gather.Append(QChar(u'\r')); ++position; break;
        case 't': m_gather.Append(QChar(u'\t')); ++position; break;
        case 'u': {
            ++position;
            unsigned code = 0;
            for (std::int32_t k = 0; k < 4; ++k) {
                const int h = at(position + k) >= 0 ? hexValue(char16_t(at(position + k))) : -1;
                if (h < 0) break;
                code = code * 16 + unsigned(h);
            }
            m_gather.Append(QChar(char16_t(code)));
            position += 4;
            break;
        }
        default:
            // An unknown escape drops the backslash; the letter is read next as it is.
            break;
        }
    }
    return m_gather.toString();
}

bool Reader::ParseNumber(std::int32_t& position, JsonValue& value, QString& failure) const {
    SkipIgnorable(position);
    const std::int32_t start = position;
    while (position <= m_length && isNumberChar(m_text[position - 1].unicode())) ++position;
    if (position > m_length) {
        // The text ended inside the number: it is dropped, without an error.
        value = JsonValue();
        return true;
    }
    Decimal::ParseError error;
    const auto number = Decimal::parse(m_text.mid(start - 1, position - start), &error);
    if (!number) {
        failure = Decimal::describe(error);
        return false;
    }
    value = JsonValue(*number);
    return true;
}

bool Reader::ParseBoolean(std::int32_t& position) const {
    SkipIgnorable(position);
    if (startsWith(position, u"true")) {
        position += 4;
        return true;
    }
    if (startsWith(position, u"false")) {
        position += 5;
        return false;
    }
    appendError(u"Invalid Boolean at position ", QString::number(position), u" : ", rest(position));
    return false;
}

JsonValue Reader::ParseNull(std::int32_t& position) const {
    SkipIgnorable(position);
    if (startsWith(position, u"null")) {
        position += 4;
        return JsonValue::null();
    }
    appendError(u"Invalid null value at position ", QString::number(position), u" : ", rest(position));
    return {};
}

QString Reader::ParseKey(std::int32_t& position) const {
    SkipIgnorable(position);
    QString name;
    bool doubleQuoted = false, singleQuoted = false;
    while (position <= m_length) {
        const char16_t c = m_text[position - 1].unicode();
        switch (c) {
        case '"':
        case '\'': {
            bool& quoted = (c == '"') ? doubleQuoted : singleQuoted;
            quoted = !quoted;
            ++position;
            if (!quoted) {
                SkipIgnorable(position);
                if (at(position) != ':') {
                    appendError(u"Invalid Key at position ", QString::number(position), u" : ", name);
                    return name;
                }
            }
            break;
        }
        case ':':
            ++position;
            if (!doubleQuoted && !singleQuoted) return name;
            name += QLatin1Char(':');
            break;
        case '\r':
        case '\n':
        case '\t':
        case ' ':
            ++position;  // blanks never belong to a name, even inside quotes
            break;
        default:
            name += QChar(c);
            ++position;
        }
    }
    return name;
}

} // namespace

JsonValue Parse(QStringView text) {
    g_errors = QString();
    Reader reader(text);
    std::int32_t position = 1;
    reader.SkipIgnorable(position);
    switch (reader.at(position)) {
    case '{': return JsonValue(reader.ParseObject(position));
    case '[': return JsonValue(reader.ParseArray(position));
    default: break;
    }
    g_errors = QStringLiteral("Invalid JSON");
    return {};
}

QString ParserErrors() { return g_errors; }

} // namespace kinoleaf::JSON
