#include "platform/file_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kinoleaf {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// -1, 0, 1 ignoring exact-case ties.
int naturalCompare(const QString& a, const QString& b) {
    const qsizetype na = a.size(), nb = b.size();
    qsizetype i = 0, j = 0;
    while (i < na && j < nb) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype si = i, sj = j;
            while (si < na && a[si] == u'0') ++si;
            while (sj < nb && b[sj] == u'0') ++sj;
            qsizetype ei = si, ej = sj;
            while (ei < na && isDigit(a[ei])) ++ei;
            while (ej < nb && isDigit(b[ej])) ++ej;
            // More significant digits means a larger value.
            if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
            for (qsizetype k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k]) return a[si + k] < b[sj + k] ? -1 : 1;
            // Same value: fewer leading zeros first keeps the order total.
            if (si - i != sj - j) return si - i < sj - j ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < na) return 1;
    if (j < nb) return -1;
    return 0;
}

QStringList listEntries(const QString& folder, QDir::Filters filters, bool* ok) {
    QDir dir(folder);
    const bool readable = dir.exists() && dir.isReadable();
    if (ok) *ok = readable;
    if (!readable) return {};
    QStringList names = dir.entryList(filters, QDir::NoSort);
    sortNatural(names);
    return names;
}

} // namespace

bool naturalLess(const QString& a, const QString& b) {
    const int c = naturalCompare(a, b);
    if (c != 0) return c < 0;
    return a < b;
}

void sortNatural(QStringList& names) { std::sort(names.begin(), names.end(), naturalLess); }

QStringList listFiles(const QString& folder, bool* ok) {
    return listEntries(folder, QDir::Files | QDir::NoDotAndDotDot, ok);
}

QStringList listSubfolders(const QString& folder) {
    return listEntries(folder, QDir::Dirs | QDir::NoDotAndDotDot, nullptr);
}

bool plainFileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile();
}

bool folderExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo fi(path);
    return fi.exists() && fi.isDir();
}

QString joinPath(const QString& folder, const QString& name) {
    const QChar sep = QDir::separator();
    if (folder.isEmpty()) return name;
    if (folder.endsWith(sep) || folder.endsWith(u'/')) return folder + name;
    return folder + sep + name;
}

bool moveFileNoReplace(const QString& from, const QString& to) {
    // QFile::rename already refuses an existing target; the check makes the
    // promise explicit for callers that read this.
    if (QFileInfo::exists(to)) return false;
    return QFile::rename(from, to);
}

} // namespace kinoleaf
