#pragma once
// The one door through which every message, question and input box passes.
// The core talks to this interface only; the GUI layer installs a Qt-backed
// service and tests install a scripted double.

#include <QString>
#include <optional>

namespace kinoleaf {

inline const QString kAppTitle = QStringLiteral("Kinoleaf制作器");

enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class Answer { Ok, Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // An OK box. An empty title means the program's title.
    virtual void message(const QString& text, MsgIcon icon = MsgIcon::None,
                         const QString& title = {}) = 0;
    // Yes/No question with the question icon; returns Yes or No.
    virtual Answer askYesNo(const QString& text, const QString& title = {}) = 0;
    // Yes/No/Cancel question with the question icon.
    virtual Answer askYesNoCancel(const QString& text, const QString& title = {}) = 0;
    // Input box; nullopt when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title = {},
                                         const QString& defaultText = {}) = 0;
};

// The installed service. Before anything is installed, a silent service
// answers Cancel/No and logs to stderr, so a headless tool never blocks.
Dialogs& dialogs();
// Installs a service (not owned); nullptr restores the silent default.
void setDialogs(Dialogs* service);

inline QString titleOr(const QString& title) { return title.isEmpty() ? kAppTitle : title; }

} // namespace kinoleaf
