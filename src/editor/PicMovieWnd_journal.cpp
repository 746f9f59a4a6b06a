// The main window's rows journal: unsaved rows kept outside the movie
// folder while the user works, and offered back when an editor that was
// killed left them.

#include "editor/PicMovieWnd.h"
#include "editor/PageRowsView.h"
#include "editor/journal_keeper.h"
#include "model/rows_journal.h"
#include "model/script_file.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"
#include "platform/dialogs.h"

#include <QDir>

namespace kinoleaf {

void PicMovieWnd::keepJournal() {
    m_journal = new JournalKeeper(
        [this]() -> std::optional<QStringList> {
            if (!editedThisMovie || rootFilePath.isEmpty()) return std::nullopt;
            return rows();
        },
        this);
    // Every change of the rows, whichever door it came through.
    QAbstractItemModel* model = ListMoviePics->model();
    connect(model, &QAbstractItemModel::rowsInserted, m_journal, &JournalKeeper::changed);
    connect(model, &QAbstractItemModel::rowsRemoved, m_journal, &JournalKeeper::changed);
    connect(model, &QAbstractItemModel::rowsMoved, m_journal, &JournalKeeper::changed);
    connect(model, &QAbstractItemModel::dataChanged, m_journal, &JournalKeeper::changed);
    connect(model, &QAbstractItemModel::modelReset, m_journal, &JournalKeeper::changed);
}

std::optional<journal::Operation> PicMovieWnd::beginFileOperation(const journal::Plan& plan) {
    QString why;
    // The plan goes first: rows that name the files as the operation leaves
    // them are kept only once a plan exists to finish or undo, or a kill
    // between the two would offer rows naming files never moved.
    std::optional<journal::Operation> operation = journal::Operation::begin(rootFilePath, plan, &why);
    if (!operation) {
        dialogs().message(
            QStringLiteral("影片文件夹不能写入（%1），%2没有进行，什么也没有改动。").arg(why, plan.operation),
            MsgIcon::Exclamation);
        // The rows stay as they are, and so must their journal.
        keepJournalOfRows();
        return std::nullopt;
    }
    // The rows the operation leaves are on disk before any file moves, so
    // a kill at any point keeps them.
    if (!m_journal->writeNow(plan.rowsAfter, &why)) {
        dialogs().message(QStringLiteral("没能写下未保存的修改（%1），%2没有进行，什么也没有改动。").arg(why, plan.operation),
                          MsgIcon::Exclamation);
        return std::nullopt;  // the plan, dropped unstarted, goes with it
    }
    return operation;
}

void PicMovieWnd::keepJournalOfRows() {
    QString why;
    if (editedThisMovie) m_journal->writeNow(rows(), &why);
    else m_journal->clear();
}

void PicMovieWnd::recoverUnfinishedOperation(const QString& folder) {
    QString why;
    const std::optional<journal::Unfinished> left = journal::findUnfinished(folder, &why);
    if (!left) {
        if (!why.isEmpty())
            dialogs().message(QStringLiteral("上次的操作记录读不出来（%1），没有用它。").arg(why), MsgIcon::Exclamation);
        return;
    }
    const bool finish = dialogs().askYesNo(journal::recoveryQuestion(*left)) == Answer::Yes;
    const journal::RecoveryResult result = finish ? journal::finish(folder, *left) : journal::rollBack(folder, *left);
    // The script follows the files, so folder, rows and script agree.
    const script::WriteResult written = script::write(joinPath(folder, script::kFileName), result.rows);
    if (written.ok) {
        journal::discard(folder);
        rowsjournal::remove(folder);  // its rows are the ones just written
    }
    QString text = finish ? QStringLiteral("上次的%1已经完成。").arg(left->plan.operation)
                          : QStringLiteral("已恢复到上次的%1之前。").arg(left->plan.operation);
    if (!result.notMoved.isEmpty())
        text += QStringLiteral("\n有 %1 个文件没能移动：").arg(result.notMoved.size()) + reportedLines(result.notMoved);
    if (!written.ok) text += QStringLiteral("\n但脚本没能写入：%1").arg(written.error);
    dialogs().message(text, result.notMoved.isEmpty() && written.ok ? MsgIcon::None : MsgIcon::Exclamation);
}

void PicMovieWnd::offerJournalRows() {
    const std::optional<rowsjournal::Entry> kept = rowsjournal::read(rootFilePath);
    if (!kept) return;
    const int changes = rowsjournal::changesBetween(kept->rows, rows());
    if (changes == 0) {
        // Nothing in it that the folder does not hold already.
        rowsjournal::remove(rootFilePath);
        return;
    }
    const bool changedSince = kept->base != rowsjournal::stampOf(rootFilePath);
    if (dialogs().askYesNo(rowsjournal::question(changes, changedSince)) != Answer::Yes) {
        const QString aside = rowsjournal::setAside(rootFilePath);
        if (!aside.isEmpty())
            ShowLogMessage(QStringLiteral(">o< 没有恢复的修改另存在 %1").arg(QDir::toNativeSeparators(aside)));
        return;
    }
    replaceRows(kept->rows);
    // The rows are back, still to be saved; the journal stays until then.
    MarkUnsaved();
    if (rowCount() > 0) setSelectedRow(0);
    ShowLogMessage(QStringLiteral(">o< 已恢复上次没有保存的 %1 处修改，记得保存").arg(changes));
}

} // namespace kinoleaf
