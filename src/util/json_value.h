#pragma once
// The tree the JSON reader builds: a tagged value whose objects and arrays
// are shared, so handing a reply's parts around never copies them.

#include "util/decimal.h"

#include <QHash>
#include <QString>

#include <memory>
#include <utility>
#include <variant>
#include <vector>

namespace kinoleaf {

class JsonDictionary;
class JsonList;

class JsonValue {
public:
    enum class Kind { Empty, Null, Boolean, Number, Text, Dictionary, List };

    JsonValue() = default;  // empty: a missing value
    static JsonValue null() { return JsonValue(Storage(std::in_place_index<1>)); }
    JsonValue(bool b) : m_value(b) {}                          // NOLINT
    JsonValue(const Decimal& d) : m_value(d) {}                // NOLINT
    JsonValue(QString text) : m_value(std::move(text)) {}      // NOLINT
    JsonValue(std::shared_ptr<JsonDictionary> d);              // NOLINT
    JsonValue(std::shared_ptr<JsonList> l);                    // NOLINT
    // Would silently become a boolean.
    JsonValue(const char*) = delete;
    JsonValue(int) = delete;

    Kind kind() const { return Kind(m_value.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isBoolean() const { return kind() == Kind::Boolean; }
    bool isNumber() const { return kind() == Kind::Number; }
    bool isText() const { return kind() == Kind::Text; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }
    bool isList() const { return kind() == Kind::List; }

    // Each gives a neutral value (false, 0, "", nullptr) for another kind.
    bool toBoolean() const;
    Decimal toNumber() const;
    QString toText() const;
    const JsonDictionary* dictionary() const;
    const JsonList* list() const;
    std::shared_ptr<JsonDictionary> sharedDictionary() const;
    std::shared_ptr<JsonList> sharedList() const;

    // Member of a dictionary; empty when missing or when this is no dictionary.
    JsonValue operator[](const QString& name) const;
    // Members of a dictionary or items of a list; 0 for other kinds.
    int count() const;
    // 1-based item of a list; empty when out of range or when this is no list.
    JsonValue item(int index) const;

private:
    using Storage = std::variant<std::monostate, std::nullptr_t, bool, Decimal, QString,
                                 std::shared_ptr<JsonDictionary>, std::shared_ptr<JsonList>>;
    explicit JsonValue(Storage s) : m_value(std::move(s)) {}
    Storage m_value;
};

// Members in the order they were added; names compared exactly.
class JsonDictionary {
public:
    // False (and nothing changes) when the name is already present.
    bool add(const QString& name, JsonValue value);
    bool contains(const QString& name) const { return indexOf(name) >= 0; }
    JsonValue value(const QString& name) const;
    int count() const { return int(m_members.size()); }
    const QString& nameAt(int index0) const { return m_members[std::size_t(index0)].first; }
    const JsonValue& valueAt(int index0) const { return m_members[std::size_t(index0)].second; }
    const std::vector<std::pair<QString, JsonValue>>& members() const { return m_members; }

    static QString duplicateDescription();

private:
    int indexOf(const QString& name) const;

    std::vector<std::pair<QString, JsonValue>> m_members;
    // Built once the dictionary is large enough for a linear scan to hurt.
    QHash<QString, int> m_index;
};

// Items indexed from 1.
class JsonList {
public:
    void append(JsonValue value) { m_items.push_back(std::move(value)); }
    int count() const { return int(m_items.size()); }
    JsonValue item(int index) const;
    const std::vector<JsonValue>& items() const { return m_items; }

private:
    std::vector<JsonValue> m_items;
};

} // namespace kinoleaf
