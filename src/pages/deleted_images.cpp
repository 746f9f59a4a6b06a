#include "pages/deleted_images.h"

#include "platform/date_text.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace kinoleaf::pages {

bool moveToDeletedImages(const QString& folder, const QString& name, QString* why) {
    auto fail = [why](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    // No folder loaded, or a name that leads out of the folder (a script
    // row is only text): nothing of the user's is moved.
    if (folder.isEmpty()) return fail(QStringLiteral("还没有打开影片文件夹"));
    if (!isPlainFileName(name)) return fail(QStringLiteral("不是单独的文件名"));
    // The image first: deleting many pages whose images are gone then costs
    // one look each.
    const QString source = joinPath(folder, name);
    if (!plainFileExists(source)) return fail(kImageMissing);
    const QString bin = joinPath(folder, kDeletedImagesFolder);
    if (!folderExists(bin)) {
        errno = 0;
        if (!QDir().mkdir(bin)) return fail(fileErrorReason(errno ? errno : EACCES));
    }
    QString target = joinPath(bin, name);
    if (plainFileExists(target)) target = joinPath(bin, fileNameDateText(today()) + u'_' + name);
    return moveFileNoReplace(source, target, why);
}

DeletionPlan planDeletion(const QString& folder, const QStringList& names) {
    DeletionPlan plan;
    QSet<QString> taken;  // targets planned already
    const QString bin = joinPath(folder, kDeletedImagesFolder);
    const QString dated = fileNameDateText(today()) + u'_';
    for (const QString& name : names) {
        if (plan.moveOf.contains(name) || plan.missing.contains(name)) continue;
        if (!isPlainFileName(name) || !plainFileExists(joinPath(folder, name))) {
            plan.missing.insert(name);
            continue;
        }
        QString target = name;
        if (taken.contains(target) || QFileInfo::exists(joinPath(bin, target))) target = dated + name;
        taken.insert(target);
        plan.moveOf.insert(name, int(plan.moves.size()));
        plan.moves.append({name, kDeletedImagesFolder + u'/' + target});
    }
    return plan;
}

DeletionRun::DeletionRun(const DeletionPlan& plan, journal::Operation& operation, DeletionReport& report)
    : m_plan(plan), m_operation(operation), m_report(report) {}

void DeletionRun::deleteImage(const QString& name) {
    if (m_report.noted(name)) return;
    const auto move = m_plan.moveOf.constFind(name);
    if (move == m_plan.moveOf.cend()) {
        if (m_plan.missing.contains(name))
            m_report.note(name, false, isPlainFileName(name) ? kImageMissing : QStringLiteral("不是单独的文件名"));
        return;
    }
    QString why;
    const bool moved = m_operation.move(*move, &why);
    m_report.note(name, moved, why);
}

void DeletionReport::note(const QString& name, bool moved, const QString& why) {
    if (m_seen.contains(name)) return;
    m_seen.insert(name);
    if (moved) ++m_moved;
    else m_notMoved.append(name + u'：' + why);
}

QString DeletionReport::message() const {
    QString text = QStringLiteral("保存完成！共删除图片：%1张！").arg(m_moved);
    if (!m_notMoved.isEmpty()) {
        text += QStringLiteral("\n\n有 %1 张图片没能移到 %2 文件夹：").arg(m_notMoved.size()).arg(kDeletedImagesFolder) +
                reportedLines(m_notMoved);
    }
    return text;
}

} // namespace kinoleaf::pages
