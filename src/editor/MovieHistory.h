#pragma once
// The main window's undo history: one stack per loaded movie. The page
// operations apply their change themselves and then record it here; undo
// and redo replay it through the window's row operations. A change of the
// rows that nothing recorded makes the history unusable (its rows no longer
// match), so the history is forgotten then.

#include "model/operation_journal.h"

#include <QObject>
#include <QUndoStack>

#include <functional>

class QKeyEvent;
class QMenu;

namespace kinoleaf {

class PicMovieWnd;
class MovieCommand;

class MovieHistory : public QObject {
    Q_OBJECT
public:
    explicit MovieHistory(PicMovieWnd* wnd);

    // While one of these lives, changes of the rows are the caller's own:
    // a recorded change being applied, or a page being shown.
    class Hold {
    public:
        Hold(MovieHistory& h, bool silent);
        Hold(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        ~Hold();

    private:
        MovieHistory* m_h;
        bool m_silent;
    };
    // Row changes inside are recorded by the caller.
    Hold hold() { return Hold(*this, false); }
    // Row changes inside are neither recorded nor a reason to forget.
    Hold silence() { return Hold(*this, true); }

    // Records a change already applied; the command's first redo does nothing.
    void record(QUndoCommand* command);
    // A tool window's change of all the rows: puts them in and records
    // them with those of planned that were made (a planned move's target
    // was free, so a file there now is the one moved).
    void replaceRowsRecorded(const QString& text, const QStringList& after,
                             const QList<journal::Move>& planned = {});
    // Typing in the intro box changed a row.
    void noteIntroEdit(int row, const QString& before, const QString& after);

    void undo();
    void redo();
    // Another movie, or the same one read again: nothing to take back.
    void reset();
    // The rows as they stand are the saved ones.
    void setClean() { m_stack.setClean(); }
    // Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y; true when the key was one of them.
    bool handleKey(const QKeyEvent* key);
    // Adds 撤销 and 重做, with the name of the change, to a menu.
    void fillMenu(QMenu& menu);

    const QUndoStack& stack() const { return m_stack; }
    // Milliseconds; typing pauses are measured with it.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    qint64 now() const { return m_clock(); }

signals:
    // After an undo or redo: clean when the rows are the saved ones again.
    void stepped(bool clean);

private:
    void rowsChanged();
    void forget();
    void forgetBroken(const MovieCommand& command);
    // An undo (back) or a redo, with what the command's outcome asks for.
    void step(bool back);
    void keepCleanAcross(const QUndoCommand* command, bool wasClean);

    PicMovieWnd* m_wnd;
    QUndoStack m_stack;
    std::function<qint64()> m_clock;
    int m_held = 0;
    int m_silent = 0;
};

} // namespace kinoleaf
