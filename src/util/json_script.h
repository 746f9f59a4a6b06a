#pragma once
// Evaluates a small command language written in JSON: plain texts are copied
// to the output, objects are commands (alert, input, switch, set, get, if,
// return), and unknown commands become "<%NAME(params)%>" placeholders for a
// later stage to fill.

#include "util/json_value.h"

#include <QHash>
#include <QString>

#include <cstdint>

namespace kinoleaf {

class cJSONScript {
public:
    // Parses the script and returns its output; a script that does not parse
    // shows the parser's errors in a "Parser Error" box and gives "".
    QString Eval(const QString& sJSON);
    // The output of one value; calls nest at most 41 deep.
    QString ExecCommand(const JsonValue& obj);

    static constexpr std::int32_t kMaxDepth = 40;  // deepest depth a call may start at

private:
    QString runCommands(const JsonDictionary& commands);
    QString runCommand(const QString& name, const JsonValue& argument);
    QString param(const JsonDictionary& parameters, const QString& name);
    QString unknownCommand(const QString& name, const JsonValue& argument);

    QHash<QString, QString> m_variables;  // kept across calls of Eval
    std::int32_t m_depth = 0;
};

} // namespace kinoleaf
