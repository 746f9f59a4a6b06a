#include "editor/batch_commands.h"

#include "editor/PicMovieWnd.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QFileInfo>

#include <algorithm>

namespace kinoleaf {

RowsReplacedCommand::RowsReplacedCommand(PicMovieWnd& wnd, const QString& text, const QStringList& before,
                                         const QStringList& after, const QList<journal::Move>& moved)
    : MovieCommand(wnd, text), m_before(before), m_after(after), m_made(moved) {}

void RowsReplacedCommand::revert() {
    // Back the other way, newest first.
    QList<journal::Move> back;
    for (auto it = m_made.crbegin(); it != m_made.crend(); ++it) back.append({it->to, it->from});
    if (!run(QStringLiteral("撤销") + text(), back, m_before)) return fail();
}

void RowsReplacedCommand::apply() {
    // Only what the undo brought back goes again: the rest was never restored.
    QList<journal::Move> again;
    for (auto it = m_made.crbegin(); it != m_made.crend(); ++it) again.append({it->to, it->from});
    if (!run(text(), again, m_after)) return fail();
}

bool RowsReplacedCommand::run(const QString& operation, const QList<journal::Move>& moves, const QStringList& rows) {
    const QString folder = m_wnd.rootFilePath;
    QList<journal::Move> possible;
    QStringList notMoved;
    for (const journal::Move& m : moves) {
        if (QFileInfo::exists(joinPath(folder, m.to)))
            notMoved << QStringLiteral("%1：那里已经有同名的文件，没有替换它").arg(m.to);
        else if (!plainFileExists(joinPath(folder, m.from)))
            notMoved << QStringLiteral("%1：文件已经不在了").arg(m.from);
        else
            possible.append(m);
    }
    QList<journal::Move> made;
    if (possible.isEmpty()) {
        m_wnd.replaceRows(rows);
    } else {
        std::optional<journal::Operation> op = m_wnd.beginFileOperation({operation, m_wnd.rows(), rows, possible});
        if (!op) return false;
        for (int i = 0; i < possible.size(); ++i) {
            QString why;
            if (op->move(i, &why)) made.append(possible[i]);
            else notMoved << QStringLiteral("%1：%2").arg(possible[i].from, why);
        }
        m_wnd.replaceRows(rows);
        op->complete();
    }
    m_made = made;
    if (!notMoved.isEmpty())
        dialogs().message(QStringLiteral("%1：页面已经改好，但有 %2 个文件没能移动：\n").arg(operation).arg(notMoved.size()) +
                              notMoved.join(u'\n'),
                          MsgIcon::Exclamation);
    return true;
}

} // namespace kinoleaf
