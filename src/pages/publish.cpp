#include "pages/publish.h"

#include "model/page_row.h"
#include "platform/date_text.h"
#include "platform/file_helpers.h"

#include <QHash>
#include <QSet>

namespace kinoleaf::pages {
namespace {

struct IntroRule {
    char16_t trigger;      // tested exactly
    char16_t search;       // matched without regard to case and width
    const char16_t* by;
};

const IntroRule kIntroRules[] = {
    {u'\'', u'\'', u"\u2019"}, {u'(', u'(', u"\uFF08"},  {u')', u')', u"\uFF09"},
    {u'|', u'|', u" "},        {u'\\', u'\\', u" "},     {u'/', u'/', u" "},
    {u'[', u'\uFF3B', u""},    {u']', u'\uFF3D', u""},   {u'{', u'\uFF5B', u""},
    {u'}', u'\uFF5D', u""},    {u'"', u'"', u"\u201C"},  {u'\t', u'\t', u" "},
    {u':', u':', u" "},        {u'\r', u'\r', u""},      {u'\n', u'\n', u""},
    {u'`', u'`', u"\u2019"},
};

// Fullwidth U+FF01..U+FF5E stands for ASCII U+0021..U+007E.
char16_t folded(char16_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) c = char16_t(c - 0xFF01 + 0x21);
    return QChar(c).toCaseFolded().unicode();
}

RenameFn renameOrDefault(const RenameFn& rename) {
    if (rename) return rename;
    return [](const QString& from, const QString& to, QString* why) { return moveFileNoReplace(from, to, why); };
}

QString notUndoneLines(const QList<Rename>& notUndone) {
    QString text = QStringLiteral("\n下列图片没能改回原来的名称：");
    for (const Rename& r : notUndone) text += QStringLiteral("\n%1（原名：%2）").arg(r.to, r.from);
    return text;
}

} // namespace

QList<Rename> undoRenames(const QList<Rename>& done, const QString& folder, const RenameFn& renameFn) {
    const RenameFn rename = renameOrDefault(renameFn);
    QList<Rename> kept;
    for (auto it = done.crbegin(); it != done.crend(); ++it)
        if (!rename(joinPath(folder, it->to), joinPath(folder, it->from), nullptr)) kept.prepend(*it);
    return kept;
}

QString cleanIntro(const QString& intro) {
    QString text = intro;
    for (const IntroRule& rule : kIntroRules) {
        if (!text.contains(QChar(rule.trigger))) continue;
        const char16_t search = folded(rule.search);
        QString out;
        out.reserve(text.size());
        for (const QChar c : std::as_const(text)) {
            if (folded(c.unicode()) == search) out += QStringView(rule.by);
            else out += c;
        }
        text = std::move(out);
    }
    qsizetype from = 0, to = text.size();
    while (from < to && text[from] == u' ') ++from;
    while (to > from && text[to - 1] == u' ') --to;
    text = text.mid(from, to - from);
    return text.isEmpty() ? QStringLiteral("--") : text;
}

QString publishedName(int position, const QString& imageName, const QString& dateText) {
    QString name = QStringLiteral("rs_") + QString::number(position);
    if (!dateText.isEmpty()) name += u'_' + dateText;
    return name + u'.' + fileExtension(imageName);
}

PublishResult publish(const QStringList& rows, const QString& folder, const PublishIo& io) {
    const RenameFn rename = renameOrDefault(io.rename);
    const auto plainFileExists = io.exists ? io.exists : std::function<bool(const QString&)>(kinoleaf::plainFileExists);
    const int count = int(rows.size());
    PublishResult result;
    QStringList names;
    names.reserve(count);
    for (const QString& row : rows) names.append(imageNameOfRow(row));

    // Nothing is renamed until every page's image is known to be there.
    for (int p = 0; p < count; ++p) {
        const QString& name = names[p];
        if (name.isEmpty()) continue;
        // A name with a separator would reach out of the folder, and the
        // rename would pull that file in: it counts as missing.
        if (!isPlainFileName(name) || !plainFileExists(joinPath(folder, name))) {
            result.failedRow = p;
            return result;
        }
    }

    // One date for the whole run, in a form a file name can hold.
    const QString date = fileNameDateText(today());
    QList<Rename> done;
    QHash<QString, QString> newNameOf;  // old name → new name of its latest entry
    QHash<QString, QString> movedTo;    // images this run renamed: old name → new name
    QStringList published;
    published.reserve(count);
    for (int p = 0; p < count; ++p) {
        const QString& name = names[p];
        if (!name.isEmpty()) {
            // An image already under the plain name collides with itself too.
            QString newName = publishedName(p, name);
            if (plainFileExists(joinPath(folder, newName))) newName = publishedName(p, name, date);
            const QString oldPath = joinPath(folder, name);
            if (const auto moved = movedTo.constFind(name); moved != movedTo.cend()) {
                // An earlier row moved this image; whatever a later rename
                // put under its old name is another picture.
                newName = *moved;
            } else if (plainFileExists(oldPath)) {
                QString why;
                if (!rename(oldPath, joinPath(folder, newName), &why)) {
                    result.failedRow = p;
                    result.refused = {name, newName};
                    result.refusedWhy = why;
                    result.notUndone = undoRenames(done, folder, rename);
                    return result;
                }
                done.append({name, newName});
                result.renamedRows.append(p);
                movedTo.insert(name, newName);
            } else if (const auto seen = newNameOf.constFind(name); seen != newNameOf.cend()) {
                // An earlier row of this run named the same image and moved it.
                newName = *seen;
            } else {
                newName = name;
                ++result.errorCount;
            }
            newNameOf.insert(name, newName);
            published.append(makeRow(newName, cleanIntro(introOfRow(rows[p]))));
        }
        if (io.progress) io.progress(p, count);
    }
    result.ok = true;
    result.rows = std::move(published);
    result.renamed = std::move(done);
    return result;
}

PublishResult planPublish(const QStringList& rows, const QString& folder) {
    // The folder as the renames so far would leave it.
    QSet<QString> gone, added;
    PublishIo io;
    io.exists = [&](const QString& path) {
        return added.contains(path) || (!gone.contains(path) && kinoleaf::plainFileExists(path));
    };
    io.rename = [&](const QString& from, const QString& to, QString*) {
        gone.insert(from);
        added.remove(from);
        added.insert(to);
        gone.remove(to);
        return true;
    };
    return publish(rows, folder, io);
}

QStringList rowsAfterRenames(const QStringList& rows, const QList<Rename>& renames) {
    if (renames.isEmpty()) return rows;
    QHash<QString, QString> to;
    for (const Rename& r : renames) to.insert(r.from, r.to);
    QStringList out;
    out.reserve(rows.size());
    for (const QString& row : rows) {
        const auto found = to.constFind(imageNameOfRow(row));
        out.append(found == to.cend() ? row : makeRow(*found, introOfRow(row)));
    }
    return out;
}

QString successMessage(int errorCount) {
    return QStringLiteral("脚本验证并发布成功！发现错误（%1）处").arg(errorCount);
}

QString failureMessage(const PublishResult& result) {
    QString text;
    if (result.refusedWhy.isEmpty()) {
        text = QStringLiteral("脚本（%1）行发现错误，验证失败！").arg(result.failedRow);
    } else {
        // The image is there; the file system would not rename it.
        text = QStringLiteral("脚本（%1）行的图片 %2 无法改名为 %3：%4\n验证失败！")
                   .arg(result.failedRow)
                   .arg(result.refused.from, result.refused.to, result.refusedWhy);
        if (result.notUndone.isEmpty()) text += QStringLiteral("图片名称和脚本都和发布前一样。");
    }
    if (!result.notUndone.isEmpty()) text += notUndoneLines(result.notUndone);
    return text;
}

QString saveFailureMessage(const QString& why, const QList<Rename>& notUndone) {
    QString text = why.isEmpty() ? QStringLiteral("没有保存脚本，发布没有完成。")
                                 : why + QStringLiteral("\n发布没有完成。");
    if (notUndone.isEmpty()) return text + QStringLiteral("图片都已改回原来的名称，文件夹和脚本和发布前一样。");
    return text + notUndoneLines(notUndone);
}

} // namespace kinoleaf::pages
