#include "util/json_script.h"

#include "platform/dialogs.h"
#include "util/json.h"
#include "util/string_builder.h"

namespace kinoleaf {
namespace {

// Keeps the depth right however a call is left.
class DepthGuard {
public:
    explicit DepthGuard(std::int32_t& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    std::int32_t& m_depth;
};

bool holds(const QString& type, const QString& a, const QString& b) {
    if (type == u"eq") return a.toLower() == b.toLower();
    // Code-unit order, case-sensitive.
    if (type == u"gt") return a > b;
    if (type == u"lt") return a < b;
    if (type == u"gte") return a >= b;
    if (type == u"lte") return a <= b;
    return false;
}

} // namespace

QString cJSONScript::Eval(const QString& sJSON) {
    const JsonValue root = JSON::Parse(sJSON);
    const QString errors = JSON::ParserErrors();
    if (!errors.isEmpty() || root.isEmpty()) {
        dialogs().message(errors, MsgIcon::Exclamation, QStringLiteral("Parser Error"));
        return {};
    }
    // A root object reads as a script of one command.
    const JsonList* items = root.list();
    if (!items) return ExecCommand(root);

    cStringBuilder out;
    for (const JsonValue& item : items->items()) out.Append(ExecCommand(item));
    return out.toString();
}

QString cJSONScript::ExecCommand(const JsonValue& obj) {
    if (m_depth > kMaxDepth) return QStringLiteral("ERROR: Nesting level exceeded.");
    DepthGuard guard(m_depth);

    switch (obj.kind()) {
    case JsonValue::Kind::Empty: return {};
    case JsonValue::Kind::Null: return QStringLiteral("null");
    case JsonValue::Kind::Text: return obj.toText();
    case JsonValue::Kind::Boolean: return obj.toBoolean() ? QStringLiteral("true") : QStringLiteral("false");
    case JsonValue::Kind::Number:
        // The decimal point is always ".", whatever the locale.
        return obj.toNumber().toString().replace(QLatin1Char(','), QLatin1Char('.'));
    case JsonValue::Kind::List: {
        cStringBuilder out;
        for (const JsonValue& item : obj.list()->items()) out.Append(ExecCommand(item));
        return out.toString();
    }
    case JsonValue::Kind::Dictionary: return runCommands(*obj.dictionary());
    }
    return {};
}

QString cJSONScript::runCommands(const JsonDictionary& commands) {
    cStringBuilder out;
    for (const auto& [name, argument] : commands.members()) out.Append(runCommand(name, argument));
    return out.toString();
}

QString cJSONScript::param(const JsonDictionary& parameters, const QString& name) {
    return ExecCommand(parameters.value(name));
}

QString cJSONScript::runCommand(const QString& name, const JsonValue& argument) {
    const QString command = name.toLower();
    if (command == u"return") return ExecCommand(argument);

    const bool known = command == u"alert" || command == u"input" || command == u"switch" ||
                       command == u"set" || command == u"get" || command == u"if";
    if (!known) return unknownCommand(name, argument);
    const JsonDictionary* p = argument.dictionary();
    if (!p) return {};

    if (command == u"alert") {
        const QString message = param(*p, QStringLiteral("message"));
        const QString title = param(*p, QStringLiteral("title"));
        dialogs().message(message, MsgIcon::Information, title);
        return {};
    }
    if (command == u"input") {
        const QString prompt = param(*p, QStringLiteral("prompt"));
        const QString title = param(*p, QStringLiteral("title"));
        const QString proposed = param(*p, QStringLiteral("default"));
        return dialogs().input(prompt, title, proposed).value_or(QString());
    }
    if (command == u"switch") {
        const QString wanted = param(*p, QStringLiteral("case")).toLower();
        QString result = param(*p, QStringLiteral("default"));
        if (const JsonList* items = p->value(QStringLiteral("items")).list()) {
            for (const JsonValue& item : items->items()) {
                const JsonDictionary* option = item.dictionary();
                if (!option) continue;
                if (param(*option, QStringLiteral("case")).toLower() == wanted) {
                    result = param(*option, QStringLiteral("return"));
                    break;
                }
            }
        }
        return result;
    }
    if (command == u"set") {
        // Names given as numbers are kept by their text, so "get" finds them.
        const QString variable = param(*p, QStringLiteral("name"));
        m_variables.insert(variable, param(*p, QStringLiteral("value")));
        return {};
    }
    if (command == u"get") {
        const QString variable = param(*p, QStringLiteral("name"));
        const auto found = m_variables.constFind(variable);
        QString result = found != m_variables.constEnd() ? ExecCommand(JsonValue(*found)) : QString();
        if (result.isEmpty()) result = param(*p, QStringLiteral("default"));
        return result;
    }
    // "if"
    const QString a = param(*p, QStringLiteral("value1"));
    const QString b = param(*p, QStringLiteral("value2"));
    const QString type = param(*p, QStringLiteral("type")).toLower();
    return param(*p, holds(type, a, b) ? QStringLiteral("true") : QStringLiteral("false"));
}

QString cJSONScript::unknownCommand(const QString& name, const JsonValue& argument) {
    QString parameters;
    if (const JsonDictionary* d = argument.dictionary()) {
        QStringList texts;
        for (const auto& member : d->members()) texts << ExecCommand(member.second);
        parameters = texts.join(QLatin1Char(','));
    } else if (!argument.isList()) {
        parameters = ExecCommand(argument);  // a text, number, boolean or null as it prints
    }
    return QStringLiteral("<%") + name.toUpper() + u'(' + parameters + QStringLiteral(")%>");
}

} // namespace kinoleaf
