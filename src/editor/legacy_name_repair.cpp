#include "editor/legacy_name_repair.h"

#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/legacy_names.h"

#include <QDir>

namespace kinoleaf {
namespace {

QString failureReport(const QList<RenameFailure>& failed) {
    QStringList lines;
    for (const RenameFailure& f : failed) lines.append(f.decodedName + u'：' + f.reason);
    return QStringLiteral("有 %1 个没能改名，还是原来的名字：").arg(failed.size()) + reportedLines(lines);
}

} // namespace

int offerLegacyRename(const QString& folder, const QList<LegacyName>& names) {
    if (names.isEmpty()) return 0;
    const QString question =
        QStringLiteral("这个文件夹里有 %1 个文件或文件夹的名字是 Windows 中文编码（GBK），"
                       "在这里显示不出来，也打不开。\n[%2]\n"
                       "要把它们改成正确的名字吗？已有的文件不会被覆盖。")
            .arg(names.size())
            .arg(QDir::toNativeSeparators(folder));
    if (dialogs().askYesNo(question) != Answer::Yes) return 0;
    const RenameReport report = renameLegacyNames(folder, names);
    if (!report.failed.isEmpty()) dialogs().message(failureReport(report.failed), MsgIcon::Exclamation);
    return report.renamed;
}

QString offerLegacyFolderRename(const QString& parentFolder, const QByteArray& rawName,
                                const QString& decodedName) {
    const QString question =
        QStringLiteral("文件夹“%1”的名字是 Windows 中文编码（GBK），在这里打不开。\n"
                       "要把它改成正确的名字再打开吗？已有的文件夹不会被覆盖。")
            .arg(decodedName);
    if (dialogs().askYesNo(question) != Answer::Yes) return {};
    QString reason;
    const QString renamed = renameLegacyName(parentFolder, rawName, decodedName, &reason);
    if (renamed.isEmpty())
        dialogs().message(QStringLiteral("文件夹“%1”没能改名：%2").arg(decodedName, reason), MsgIcon::Exclamation);
    return renamed;
}

} // namespace kinoleaf
