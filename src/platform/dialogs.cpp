#include "platform/dialogs.h"

#include <cstdio>

namespace kinoleaf {
namespace {

class SilentDialogs final : public Dialogs {
public:
    void message(const QString& text, MsgIcon, const QString& title) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(titleOr(title)), qPrintable(text));
    }
    Answer askYesNo(const QString& text, const QString& title) override {
        message(text, MsgIcon::Question, title);
        return Answer::No;
    }
    Answer askYesNoCancel(const QString& text, const QString& title) override {
        message(text, MsgIcon::Question, title);
        return Answer::Cancel;
    }
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString&) override {
        message(prompt, MsgIcon::Question, title);
        return std::nullopt;
    }
};

SilentDialogs g_silent;
Dialogs* g_installed = nullptr;

} // namespace

Dialogs& dialogs() { return g_installed ? *g_installed : g_silent; }
void setDialogs(Dialogs* service) { g_installed = service; }

} // namespace kinoleaf
