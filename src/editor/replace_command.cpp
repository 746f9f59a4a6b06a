#include "editor/replace_command.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ReplaceIntrosCommand::ReplaceIntrosCommand(PicMovieWnd& wnd, const QString& text, QList<find::RowChange> changes)
    : MovieCommand(wnd, text), m_changes(std::move(changes)) {}

void ReplaceIntrosCommand::put(bool after) {
    for (const find::RowChange& c : m_changes) m_wnd.setRowText(c.row, after ? c.after : c.before);
    // The page shown is read again: the intro box must not keep the text
    // the step replaced, or the next keystroke would write it back.
    m_wnd.setSelectedRow(m_wnd.selectedRow());
}

void ReplaceIntrosCommand::apply() { put(true); }

void ReplaceIntrosCommand::revert() { put(false); }

} // namespace kinoleaf
