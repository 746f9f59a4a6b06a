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

// Publishing: the images renamed, the script saved. Undo renames them
// back and redo again, each followed by a save, so rows, files and script
// agree; either runs whole or changes nothing.
class PublishCommand : public MovieCommand {
public:
    PublishCommand(PicMovieWnd& wnd, const QStringList& before, const QStringList& after,
                   const QList<journal::Move>& renames);
    bool savesScript() const override { return true; }

private:
    void apply() override;
    void revert() override;
    bool renameAll(const QList<journal::Move>& renames, const QStringList& rows);

    QStringList m_before, m_after;
    QList<journal::Move> m_renames;
};

} // namespace kinoleaf
