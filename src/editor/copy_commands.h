#pragma once
// Pages copied into another folder (an episode, a selection stored as a
// copy). The movie's rows stay as they are; the step is what was written
// there. Undo removes each file the copy wrote while it is still as written
// and was not there before; redo copies again.

#include "editor/undo_commands.h"
#include "platform/file_helpers.h"

#include <QStringList>

#include <functional>

namespace kinoleaf {

class FolderCopyCommand : public MovieCommand {
public:
    struct Outcome {
        QList<WrittenFile> written;
        QStringList failed;  // "name：reason"
        QString syncError;
    };
    using Copy = std::function<Outcome()>;
    FolderCopyCommand(PicMovieWnd& wnd, const QString& text, const QList<WrittenFile>& written, Copy again);
    bool changesRows() const override { return false; }

private:
    void apply() override;
    void revert() override;

    QList<WrittenFile> m_written;
    Copy m_again;
};

} // namespace kinoleaf
