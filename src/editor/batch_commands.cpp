#include "editor/batch_commands.h"

#include "editor/PicMovieWnd.h"
#include "pages/publish.h"
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

PublishCommand::PublishCommand(PicMovieWnd& wnd, const QStringList& before, const QStringList& after,
                               const QList<journal::Move>& renames)
    : MovieCommand(wnd, QStringLiteral("发布")), m_before(before), m_after(after), m_renames(renames) {}

void PublishCommand::apply() {
    if (!renameAll(m_renames, m_after)) fail();
}

void PublishCommand::revert() {
    QList<journal::Move> back;
    for (auto it = m_renames.crbegin(); it != m_renames.crend(); ++it) back.append({it->to, it->from});
    if (!renameAll(back, m_before)) fail();
}

bool PublishCommand::renameAll(const QList<journal::Move>& renames, const QStringList& rows) {
    const QString folder = m_wnd.rootFilePath;
    // Played through first: a rename may free the name a later one takes.
    QHash<QString, bool> present;
    const auto there = [&](const QString& name) {
        return present.contains(name) ? present[name] : QFileInfo::exists(joinPath(folder, name));
    };
    QStringList blocked;
    for (const journal::Move& r : renames) {
        if (!there(r.from)) blocked << QStringLiteral("%1：文件已经不在了").arg(r.from);
        else if (there(r.to)) blocked << QStringLiteral("%1：已经有同名的文件").arg(r.to);
        present[r.from] = false;
        present[r.to] = true;
    }
    if (!blocked.isEmpty()) {
        dialogs().message(QStringLiteral("没能%1：有 %2 个图片不能改名，什么也没有改动。\n").arg(text()).arg(blocked.size()) +
                              blocked.join(u'\n'),
                          MsgIcon::Exclamation);
        return false;
    }
    std::optional<journal::Operation> op = m_wnd.beginFileOperation({text(), m_wnd.rows(), rows, renames});
    if (!op) return false;
    for (int i = 0; i < renames.size(); ++i) {
        QString why;
        if (op->move(i, &why)) continue;
        // Refused part-way: the renames made go back, newest first.
        QList<pages::Rename> made;
        for (int j = 0; j < i; ++j) made.append({renames[j].from, renames[j].to});
        const QList<pages::Rename> stuck = pages::undoRenames(made, folder);
        if (!stuck.isEmpty()) {
            // Each intro stays on its picture, under the name it now has.
            m_wnd.replaceRows(pages::rowsAfterRenames(m_wnd.rows(), stuck));
            breakHistory();
        }
        op->complete();
        QString text = QStringLiteral("没能%1：%2 改名失败（%3）。").arg(this->text(), renames[i].from, why);
        if (stuck.isEmpty()) text += QStringLiteral("图片都已改回，什么也没有改动。");
        for (const pages::Rename& r : stuck) text += QStringLiteral("\n%1 没能改回 %2").arg(r.to, r.from);
        dialogs().message(text, MsgIcon::Critical);
        return false;
    }
    m_wnd.replaceRows(rows);
    op->complete();
    return true;
}

} // namespace kinoleaf
