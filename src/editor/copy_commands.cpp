#include "editor/copy_commands.h"

#include "platform/dialogs.h"
#include "platform/file_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kinoleaf {

FolderCopyCommand::FolderCopyCommand(PicMovieWnd& wnd, const QString& text, const QList<WrittenFile>& written,
                                     Copy again)
    : MovieCommand(wnd, text), m_written(written), m_again(std::move(again)) {}

void FolderCopyCommand::revert() {
    QStringList kept;
    for (const WrittenFile& f : std::as_const(m_written)) {
        const QString name = QFileInfo(f.path).fileName();
        if (!QFileInfo::exists(f.path)) continue;
        if (f.replaced) {
            // What was there before is gone; removing the copy would lose both.
            kept.append(name + QStringLiteral("：复制时替换了原有的同名文件，没有删除"));
        } else if (!unchangedSince(f)) {
            kept.append(name + QStringLiteral("：复制以后改动过，没有删除"));
        } else {
            QFile file(f.path);
            errno = 0;
            if (!file.remove()) kept.append(name + u'：' + fileErrorReason(file, errno));
        }
    }
    m_written.clear();
    if (!kept.isEmpty()) {
        dialogs().message(QStringLiteral("撤销“%1”：有 %2 个文件留在了原处：").arg(text()).arg(kept.size()) +
                              reportedLines(kept),
                          MsgIcon::Exclamation);
    }
}

void FolderCopyCommand::apply() {
    const Outcome again = m_again();
    m_written = again.written;
    QStringList problems = again.failed;
    if (!again.syncError.isEmpty()) problems.append(QStringLiteral("没能确认存到了磁盘上：") + again.syncError);
    if (!problems.isEmpty()) {
        dialogs().message(QStringLiteral("重做“%1”：有 %2 处没有完成：").arg(text()).arg(problems.size()) +
                              reportedLines(problems),
                          MsgIcon::Exclamation);
    }
}

} // namespace kinoleaf
