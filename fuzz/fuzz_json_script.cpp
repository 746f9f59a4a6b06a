// libFuzzer entry point for the command evaluator, with a dialogs service
// that never blocks: inputs answer with their proposed text or cancel.

#include "platform/dialogs.h"
#include "util/json_script.h"

#include <cstddef>
#include <cstdint>

namespace {

class QuietDialogs final : public kinoleaf::Dialogs {
public:
    void message(const QString&, kinoleaf::MsgIcon, const QString&) override {}
    kinoleaf::Answer askYesNo(const QString&, const QString&) override { return kinoleaf::Answer::No; }
    kinoleaf::Answer askYesNoCancel(const QString&, const QString&) override {
        return kinoleaf::Answer::Cancel;
    }
    std::optional<QString> input(const QString&, const QString&, const QString& proposed) override {
        if (++m_inputs % 2 == 0) return std::nullopt;
        return proposed;
    }

private:
    unsigned m_inputs = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietDialogs quiet;
    kinoleaf::setDialogs(&quiet);
    kinoleaf::cJSONScript script;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)script.Eval(text);
    (void)script.Eval(text);  // variables carry over into a second run
    kinoleaf::setDialogs(nullptr);
    return 0;
}
