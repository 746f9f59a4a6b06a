#pragma once
// A lenient, single-pass JSON reader for the service's replies and for
// command scripts. It never throws: problems are collected in one error text
// for the whole program, and the caller gets the tree built so far.
//
// Not thread-safe: the error text is shared by every caller.

#include "util/json_value.h"

#include <QString>
#include <QStringView>

#include <cstdint>

namespace kinoleaf::JSON {

// Root dictionary or list; an empty value when the text starts with neither.
JsonValue Parse(QStringView text);
// The problems met by the last Parse, one line each; "" when there were none.
QString ParserErrors();

// Objects and arrays nested deeper than this stop with an error line
// instead of exhausting the stack.
constexpr int kMaxNesting = 512;

} // namespace kinoleaf::JSON
