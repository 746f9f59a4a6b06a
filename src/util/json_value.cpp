#include "util/json_value.h"

namespace kinoleaf {
namespace {
constexpr int kIndexFrom = 12;  // members before a name index pays off
}

JsonValue::JsonValue(std::shared_ptr<JsonDictionary> d) : m_value(std::move(d)) {}
JsonValue::JsonValue(std::shared_ptr<JsonList> l) : m_value(std::move(l)) {}

bool JsonValue::toBoolean() const {
    const bool* b = std::get_if<bool>(&m_value);
    return b && *b;
}

Decimal JsonValue::toNumber() const {
    const Decimal* d = std::get_if<Decimal>(&m_value);
    return d ? *d : Decimal();
}

QString JsonValue::toText() const {
    const QString* s = std::get_if<QString>(&m_value);
    return s ? *s : QString();
}

const JsonDictionary* JsonValue::dictionary() const {
    const auto* d = std::get_if<std::shared_ptr<JsonDictionary>>(&m_value);
    return d ? d->get() : nullptr;
}

const JsonList* JsonValue::list() const {
    const auto* l = std::get_if<std::shared_ptr<JsonList>>(&m_value);
    return l ? l->get() : nullptr;
}

std::shared_ptr<JsonDictionary> JsonValue::sharedDictionary() const {
    const auto* d = std::get_if<std::shared_ptr<JsonDictionary>>(&m_value);
    return d ? *d : nullptr;
}

std::shared_ptr<JsonList> JsonValue::sharedList() const {
    const auto* l = std::get_if<std::shared_ptr<JsonList>>(&m_value);
    return l ? *l : nullptr;
}

JsonValue JsonValue::operator[](const QString& name) const {
    const JsonDictionary* d = dictionary();
    return d ? d->value(name) : JsonValue();
}

int JsonValue::count() const {
    if (const JsonDictionary* d = dictionary()) return d->count();
    if (const JsonList* l = list()) return l->count();
    return 0;
}

JsonValue JsonValue::item(int index) const {
    const JsonList* l = list();
    return l ? l->item(index) : JsonValue();
}

int JsonDictionary::indexOf(const QString& name) const {
    if (!m_index.isEmpty()) return m_index.value(name, -1);
    for (std::size_t k = 0; k < m_members.size(); ++k)
        if (m_members[k].first == name) return int(k);
    return -1;
}

bool JsonDictionary::add(const QString& name, JsonValue value) {
    if (indexOf(name) >= 0) return false;
    m_members.emplace_back(name, std::move(value));
    const int n = int(m_members.size());
    if (n == kIndexFrom) {
        for (int k = 0; k < n; ++k) m_index.insert(m_members[std::size_t(k)].first, k);
    } else if (n > kIndexFrom) {
        m_index.insert(name, n - 1);
    }
    return true;
}

JsonValue JsonDictionary::value(const QString& name) const {
    const int k = indexOf(name);
    return k >= 0 ? m_members[std::size_t(k)].second : JsonValue();
}

QString JsonDictionary::duplicateDescription() {
    return QStringLiteral("Member name already present");
}

JsonValue JsonList::item(int index) const {
    if (index < 1 || index > count()) return {};
    return m_items[std::size_t(index - 1)];
}

} // namespace kinoleaf
