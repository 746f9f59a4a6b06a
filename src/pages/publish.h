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
    int failedRow = -1;          // failed: the position the run had reached
    QList<Rename> notUndone;     // failed: this run's renames that could not be taken back
};

struct PublishIo {
    // After each row of the second pass, dropped rows included: (position, row count).
    std::function<void(int done, int total)> progress;
    // Renames a file, never replacing one; moveFileNoReplace when empty.
    std::function<bool(const QString& from, const QString& to)> rename;
};

// Checks that every row's image is in the folder (nothing changes when one
// is not), then renames the images and cleans the intros row by row. A
// rename that fails undoes this run's earlier renames, newest first, so the
// folder matches the rows the run was given.
PublishResult publish(const QStringList& rows, const QString& folder, const PublishIo& io = {});

QString successMessage(int errorCount);
// The failed row, zero-based, and any images that kept their new names.
QString failureMessage(const PublishResult& result);

} // namespace kinoleaf::pages
