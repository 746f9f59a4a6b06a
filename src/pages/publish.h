#pragma once
// Validation and publishing: every page's image gets a name made from its
// position ("rs_" + position + "." + extension), every intro is cleaned of
// what a published script must not hold, and the rows are rebuilt from both.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kinoleaf::pages {

inline const QString kPublishQuestion = QStringLiteral(
    "验证脚本会对图片名称和解说内容造成修改（修正非法字符等），请提前备份图片和脚本，是否继续？");

// The intro with the sixteen character rules applied in order (each only
// when the text holds its trigger exactly; its search ignores case and
// width), spaces trimmed at both ends; "--" when nothing is left.
QString cleanIntro(const QString& intro);

// "rs_" + position + "." + the image's extension (fileExtension); with a
// date text, "rs_" + position + "_" + date + "." + extension, the name
// taken when the plain one is already there.
QString publishedName(int position, const QString& imageName, const QString& dateText = {});

struct Rename {
    QString from;  // names inside the folder
    QString to;
};

struct PublishResult {
    bool ok = false;
    QStringList rows;            // ok: the published rows
    int errorCount = 0;          // ok: rows whose image was neither renamed nor traced
    QList<Rename> renamed;       // ok: the renames made, in order
    QList<int> renamedRows;      // ok: the position of each rename's row
    int failedRow = -1;          // failed: the position the run had reached
    Rename refused;              // failed: the rename the file system refused
    QString refusedWhy;          // failed: why, "" when the row's image was missing
    QList<Rename> notUndone;     // failed: this run's renames that could not be taken back
};

// Renames a file, never replacing one; why (when given) says why it failed.
using RenameFn = std::function<bool(const QString& from, const QString& to, QString* why)>;

struct PublishIo {
    // After each row of the second pass, dropped rows included: (position, row count).
    std::function<void(int done, int total)> progress;
    // moveFileNoReplace when empty.
    RenameFn rename;
    // Whether a plain file is at a path; plainFileExists when empty.
    std::function<bool(const QString& path)> exists;
};

// The run without touching the folder: the renames it would make, in order,
// and the rows it would leave, so they can be journaled before any file
// moves. Carried out rename by rename, in order, it gives the same result.
PublishResult planPublish(const QStringList& rows, const QString& folder);

// Checks that every row's image is in the folder (nothing changes when one
// is not), then renames the images and cleans the intros row by row. A
// rename that fails undoes this run's earlier renames, newest first, so the
// folder matches the rows the run was given.
PublishResult publish(const QStringList& rows, const QString& folder, const PublishIo& io = {});

// Takes renames back, newest first; returns those that could not be.
QList<Rename> undoRenames(const QList<Rename>& done, const QString& folder, const RenameFn& rename = {});

// The rows with the images of the given renames under their new names.
QStringList rowsAfterRenames(const QStringList& rows, const QList<Rename>& renames);

QString successMessage(int errorCount);
// The failed row, zero-based, or the rename the file system refused and
// why, and any images that kept their new names.
QString failureMessage(const PublishResult& result);
// A publish whose closing save did not happen (why: the save's own
// message, "" when the user declined it) and whose renames were taken back, but for notUndone.
QString saveFailureMessage(const QString& why, const QList<Rename>& notUndone);

} // namespace kinoleaf::pages
