#pragma once
// Replacing text in intros: one replacement or all of them, one undo step.

#include "editor/find_text.h"
#include "editor/undo_commands.h"

namespace kinoleaf {

class ReplaceIntrosCommand : public MovieCommand {
public:
    ReplaceIntrosCommand(PicMovieWnd& wnd, const QString& text, QList<find::RowChange> changes);

private:
    void apply() override;
    void revert() override;
    void put(bool after);

    QList<find::RowChange> m_changes;
};

} // namespace kinoleaf
