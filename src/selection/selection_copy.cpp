#include "selection/selection_copy.h"

#include "model/page_row.h"

#include <QHash>

namespace kinoleaf::selection {

CopyResult copyKeptImages(const QStringList& kept, const QString& movieFolder, const QString& folder,
                          const std::function<void(int, int)>& progress) {
    CopyResult result;
    const int total = int(kept.size());
    QHash<QString, bool> copied;  // a name kept twice is copied once
    for (int j = 0; j < total; ++j) {
        if (progress) progress(j, total);
        const QString name = imageNameOfRow(kept[j]);
        auto done = copied.constFind(name);
        if (done == copied.constEnd()) {
            QString why;
            bool ok = false;
            const QString target = joinPath(folder, name);
            bool replaced = false;
            if (!isPlainFileName(name)) {
                // A row is only text: its name must not lead out of the folder.
                why = name.isEmpty() ? QStringLiteral("这一行没有图片文件名") : QStringLiteral("不是单独的文件名");
            } else {
                replaced = plainFileExists(target);
                ok = copyFileReplacing(joinPath(movieFolder, name), target, &why);
            }
            if (ok) {
                result.storedNames.append(name);
                result.written.append({target, -1, 0, replaced});
            } else {
                result.failed.append(QStringLiteral("%1：%2").arg(name, why));
            }
            done = copied.insert(name, ok);
        }
        if (*done) ++result.stored;
    }
    for (WrittenFile& f : result.written) f = writtenFile(f.path, f.replaced);
    // The copies were not synced one by one: once for all, before the
    // caller says they are stored.
    if (!result.storedNames.isEmpty()) syncToDisk(folder, result.storedNames, &result.syncError);
    return result;
}

} // namespace kinoleaf::selection
