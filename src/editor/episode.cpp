#include "editor/episode.h"

#include "model/page_row.h"
#include "model/script_file.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"

#include <QFileInfo>
#include <QHash>

namespace kinoleaf::episode {

Result generate(const QStringList& rows, const QString& movieFolder, const QString& targetFolder,
                const std::function<void(int, int)>& progress) {
    Result result;
    result.pages = int(rows.size());
    QStringList written, copied;
    QHash<QString, bool> before;  // copied image → a file of its name was there
    written.reserve(rows.size());
    for (int j = 0; j < result.pages; ++j) {
        if (progress) progress(j, result.pages);
        const QString name = imageNameOfRow(rows[j]);
        if (name.isEmpty()) continue;
        written.append(rows[j]);
        if (before.contains(name)) continue;  // a picture two pages show is copied once
        QString why;
        const QString target = joinPath(targetFolder, name);
        bool replaced = false;
        if (!isPlainFileName(name)) {
            why = QStringLiteral("文件名或参数无效");
        } else {
            replaced = plainFileExists(target);
            copyFileReplacing(joinPath(movieFolder, name), target, &why);
        }
        if (why.isEmpty()) {
            before.insert(name, replaced);
            copied.append(name);
        } else {
            result.failed.append({name, why});
        }
    }
    // Whole or not at all, as the movie's own script is saved.
    const QString scriptPath = joinPath(targetFolder, script::kFileName);
    const bool scriptReplaced = plainFileExists(scriptPath);
    const script::WriteResult saved = script::write(scriptPath, written);
    for (const QString& name : std::as_const(copied))
        result.written.append(writtenFile(joinPath(targetFolder, name), before.value(name)));
    if (saved.ok) result.written.append(writtenFile(scriptPath, scriptReplaced));
    result.scriptWritten = saved.ok;
    result.scriptError = saved.error;
    // The copies were not synced one by one; a failed save of the script
    // still leaves them there.
    if (!copied.isEmpty() || saved.ok) syncToDisk(targetFolder, copied, &result.syncError);
    return result;
}

QString failureReport(const Result& result) {
    if (result.failed.isEmpty()) return {};
    QStringList lines;
    for (const Failure& f : result.failed) lines.append(f.imageName + u'：' + f.reason);
    const QString head = result.scriptWritten
                             ? QStringLiteral("有 %1 张图片没能复制到剧集里（它们的解说已写进脚本）：")
                             : QStringLiteral("有 %1 张图片没能复制到剧集里：");
    return head.arg(result.failed.size()) + reportedLines(lines);
}

bool sameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

} // namespace kinoleaf::episode
