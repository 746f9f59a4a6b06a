#pragma once
// Changes a tool window applies to all the rows at once (batch deletion,
// a selection saved in place, a new order), with the images they moved.

#include "editor/undo_commands.h"
#include "model/operation_journal.h"

#include <QStringList>

namespace kinoleaf {

class RowsReplacedCommand : public MovieCommand {
public:
    // moved: the moves of files inside the folder that were made.
    RowsReplacedCommand(PicMovieWnd& wnd, const QString& text, const QStringList& before, const QStringList& after,
                        const QList<journal::Move>& moved);

private:
    void apply() override;
    void revert() override;
    // Makes what can be made of moves, never over a file, and puts rows in;
    // false when the folder took no journal (nothing changed). The moves
    // made are kept; the others are named in one message.
    bool run(const QString& operation, const QList<journal::Move>& moves, const QStringList& rows);

    QStringList m_before, m_after;
    // What the last run moved, in its direction: the next run takes these
    // back, and nothing else.
    QList<journal::Move> m_made;
};

} // namespace kinoleaf
