#pragma once
// Deleted images are never erased: they move into the movie folder's
// "delete_image" folder, where the user can take them back.

#include "model/operation_journal.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace kinoleaf::pages {

inline const QString kDeletedImagesFolder = QStringLiteral("delete_image");
// Why an image was not moved when there was none to move.
inline const QString kImageMissing = QStringLiteral("图片文件不存在");

// Moves folder/name into folder/delete_image, made when missing. A name
// taken there already gets today's date in front ("2026-12-08_a.jpg"); when
// that is taken too, or anything else fails, the image stays where it was.
// Never replaces a file. False when nothing was moved; why (when given)
// then says why, kImageMissing when the image was not there.
bool moveToDeletedImages(const QString& folder, const QString& name, QString* why = nullptr);

// Where the images of deleted pages go, decided before anything moves so
// the operation journal can hold the plan: one move an image present (two
// pages of one image move it once), dated names where delete_image has the
// name already. Images not there to move are listed apart.
struct DeletionPlan {
    QList<journal::Move> moves;
    QHash<QString, int> moveOf;  // image name → its move
    QSet<QString> missing;       // names not in the folder, or not plain names
};
DeletionPlan planDeletion(const QString& folder, const QStringList& names);

class DeletionReport;
// Carries out a deletion plan through its journaled operation, an image at
// a time as the pages are reached, noting each outcome in a report.
class DeletionRun {
public:
    DeletionRun(const DeletionPlan& plan, journal::Operation& operation, DeletionReport& report);
    void deleteImage(const QString& name);

private:
    const DeletionPlan& m_plan;
    journal::Operation& m_operation;
    DeletionReport& m_report;
};

// What deleting the images of many pages did, for the one message that
// closes it: only what really moved is counted, the rest is named.
class DeletionReport {
public:
    // The outcome of one image's move. A name noted before is not counted
    // again: two pages of one image move it once.
    void note(const QString& name, bool moved, const QString& why);
    bool noted(const QString& name) const { return m_seen.contains(name); }
    int moved() const { return m_moved; }
    const QStringList& notMoved() const { return m_notMoved; }
    // "保存完成！共删除图片：N张！", then the images left where they were.
    QString message() const;

private:
    QSet<QString> m_seen;
    int m_moved = 0;
    QStringList m_notMoved;  // "name：reason"
};

} // namespace kinoleaf::pages
