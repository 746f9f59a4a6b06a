// The main window's rows journal: unsaved rows kept outside the movie
// folder while the user works, and offered back when an editor that was
// killed left them.

#include "editor/PicMovieWnd.h"
#include "editor/PageListBox.h"
#include "editor/journal_keeper.h"
#include "model/rows_journal.h"
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
