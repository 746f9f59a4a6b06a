#pragma once
// The real dialogs service on QMessageBox and QInputDialog.

#include "platform/dialogs.h"

class QMessageBox;

namespace kinoleaf {

// Makes a box wide enough that its title is not cut.
void fitToTitle(QMessageBox& box);

class QtDialogs final : public Dialogs {
public:
    void message(const QString& text, MsgIcon icon, const QString& title) override;
    Answer askYesNo(const QString& text, const QString& title) override;
    Answer askYesNoCancel(const QString& text, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
};

} // namespace kinoleaf
