// libFuzzer entry point for the JSON reader: any text must parse to an end,
// without a crash, and leave a tree that can be walked.

#include "util/json.h"

#include <cstddef>
#include <cstdint>

namespace {

int walk(const kinoleaf::JsonValue& v) {
    int n = 1;
    if (const auto* d = v.dictionary())
        for (const auto& m : d->members()) n += walk(m.second);
    if (const auto* l = v.list())
        for (const auto& item : l->items()) n += walk(item);
    if (v.isNumber()) (void)v.toNumber().toString();
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the decoding, so lone surrogates and NULs are reachable too.
    QString text;
    if (size > 0 && data[0] == 0xFF)
        text = QString(reinterpret_cast<const QChar*>(data + 1), qsizetype((size - 1) / 2));
    else
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const kinoleaf::JsonValue root = kinoleaf::JSON::Parse(text);
    walk(root);
    (void)kinoleaf::JSON::ParserErrors();
    return 0;
}
