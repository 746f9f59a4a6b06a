#include "editor/MovieHistory.h"

#include "editor/IntroTextBox.h"
#include "editor/PageRowsView.h"
#include "editor/PicMovieWnd.h"
#include "editor/batch_commands.h"
#include "editor/undo_commands.h"
#include "platform/file_helpers.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMenu>

namespace kinoleaf {

MovieHistory::MovieHistory(PicMovieWnd* wnd)
    : QObject(wnd), m_wnd(wnd), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    // One history for everything, the intro's typing included.
    wnd->TxtMovieIntro->setUndoRedoEnabled(false);
    QAbstractItemModel* model = wnd->ListMoviePics->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &MovieHistory::rowsChanged);
    connect(model, &QAbstractItemModel::rowsMoved, this, &MovieHistory::rowsChanged);
    connect(model, &QAbstractItemModel::dataChanged, this, &MovieHistory::rowsChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &MovieHistory::rowsChanged);
    PageRowsView* list = wnd->ListMoviePics;
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        QMenu menu(list);
        fillMenu(menu);
        menu.exec(list->viewport()->mapToGlobal(at));
    });
}

MovieHistory::Hold::Hold(MovieHistory& h, bool silent) : m_h(&h), m_silent(silent) {
    ++m_h->m_held;
    if (m_silent) ++m_h->m_silent;
}

MovieHistory::Hold::Hold(Hold&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)), m_silent(other.m_silent) {}

MovieHistory::Hold::~Hold() {
    if (!m_h) return;
    --m_h->m_held;
    if (m_silent) --m_h->m_silent;
}

void MovieHistory::rowsChanged() {
    if (m_held == 0) forget();
}

void MovieHistory::forget() {
    if (m_stack.count() == 0 && m_stack.cleanIndex() < 0) return;
    m_stack.clear();
    // Nothing in the history leads back to the saved rows any more.
    m_stack.resetClean();
}

void MovieHistory::forgetBroken(const MovieCommand& command) {
    forget();
    // The rows now differ from the saved ones, and from every step; the
    // script follows the files where the step would have saved it.
    if (!command.savesScript() || !m_wnd->SaveScript()) m_wnd->MarkUnsaved();
}

void MovieHistory::reset() {
    m_stack.clear();
    m_stack.setClean();
}

void MovieHistory::record(QUndoCommand* command) {
    const Hold quiet = silence();
    const bool clean = m_stack.isClean();
    m_stack.push(command);
    keepCleanAcross(command, clean);
}

void MovieHistory::keepCleanAcross(const QUndoCommand* command, bool wasClean) {
    // The rows are those they were: saved if they were saved.
    if (wasClean && !static_cast<const MovieCommand*>(command)->changesRows()) m_stack.setClean();
}

void MovieHistory::replaceRowsRecorded(const QString& text, const QStringList& after,
                                       const QList<journal::Move>& planned) {
    const QStringList before = m_wnd->rows();
    QList<journal::Move> made;
    for (const journal::Move& m : planned)
        if (plainFileExists(joinPath(m_wnd->rootFilePath, m.to))) made.append(m);
    {
        const Hold applying = hold();
        m_wnd->replaceRows(after);
    }
    if (before != after || !made.isEmpty()) record(new RowsReplacedCommand(*m_wnd, text, before, after, made));
}

void MovieHistory::noteIntroEdit(int row, const QString& before, const QString& after) {
    if (m_silent > 0) return;
    record(new IntroEditCommand(*m_wnd, row, before, after, now()));
}

void MovieHistory::undo() { step(true); }

void MovieHistory::redo() { step(false); }

void MovieHistory::step(bool back) {
    if (back ? !m_stack.canUndo() : !m_stack.canRedo()) {
        m_wnd->ShowLogMessage(back ? QStringLiteral(">_< 没有可以撤销的修改") : QStringLiteral(">_< 没有可以重做的修改"));
        return;
    }
    const QString what = back ? m_stack.undoText() : m_stack.redoText();
    auto* command = static_cast<MovieCommand*>(
        const_cast<QUndoCommand*>(m_stack.command(back ? m_stack.index() - 1 : m_stack.index())));
    const bool clean = m_stack.isClean();
    {
        const Hold quiet = silence();
        back ? m_stack.undo() : m_stack.redo();
        keepCleanAcross(command, clean);
        if (command->failed()) {
            if (command->broken()) {
                forgetBroken(*command);
                return;
            }
            // Nothing changed: the step stays where it was.
            command->skipNextRun();
            back ? m_stack.redo() : m_stack.undo();
            return;
        }
    }
    // The script follows the files: saved as the rows now stand.
    if (command->savesScript()) m_wnd->SaveScript();
    m_wnd->ShowLogMessage((back ? QStringLiteral(">o< 已撤销：") : QStringLiteral(">o< 已重做：")) + what);
    emit stepped(m_stack.isClean());
}

bool MovieHistory::handleKey(const QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Z && mods == Qt::ControlModifier) {
        undo();
        return true;
    }
    if ((key->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (key->key() == Qt::Key_Y && mods == Qt::ControlModifier)) {
        redo();
        return true;
    }
    return false;
}

void MovieHistory::fillMenu(QMenu& menu) {
    QAction* undoAction = menu.addAction(
        m_stack.canUndo() ? QStringLiteral("撤销 ") + m_stack.undoText() : QStringLiteral("撤销"), this,
        &MovieHistory::undo);
    undoAction->setEnabled(m_stack.canUndo());
    QAction* redoAction = menu.addAction(
        m_stack.canRedo() ? QStringLiteral("重做 ") + m_stack.redoText() : QStringLiteral("重做"), this,
        &MovieHistory::redo);
    redoAction->setEnabled(m_stack.canRedo());
}

} // namespace kinoleaf
