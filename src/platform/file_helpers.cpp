#include "platform/file_helpers.h"

#include "platform/file_errors.h"
#include "platform/legacy_names.h"

#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#ifdef Q_OS_LINUX
#include <fcntl.h>    // AT_FDCWD
#include <cstdio>     // renameat2
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#else
#include <QDirIterator>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

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
        // Long shared prefixes ("IMG_", "第") are the common case in sorting.
        if (a[i] != b[j]) {
            const char16_t ua = a[i].unicode(), ub = b[j].unicode();
            char16_t fa, fb;
            if (ua < 0x80 && ub < 0x80) {
                // ASCII folds to lower case; spares the Unicode tables.
                fa = ua >= u'A' && ua <= u'Z' ? char16_t(ua + 32) : ua;
                fb = ub >= u'A' && ub <= u'Z' ? char16_t(ub + 32) : ub;
            } else {
                fa = a[i].toCaseFolded().unicode();
                fb = b[j].toCaseFolded().unicode();
            }
            if (fa != fb) return fa < fb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < na) return 1;
    if (j < nb) return -1;
    return 0;
}

#ifdef Q_OS_UNIX

enum class Kind { File, Folder, Other };

Kind kindOf(int dirFd, const dirent* entry) {
#ifdef DT_UNKNOWN
    // The entry type usually comes with the name; a stat per entry would
    // cost more than the rest of the listing.
    switch (entry->d_type) {
    case DT_REG: return Kind::File;
    case DT_DIR: return Kind::Folder;
    case DT_LNK:
    case DT_UNKNOWN: break;  // links count as what they point to
    default: return Kind::Other;
    }
#endif
    struct stat st;
    if (::fstatat(dirFd, entry->d_name, &st, 0) != 0) return Kind::Other;  // broken link, or gone
    if (S_ISREG(st.st_mode)) return Kind::File;
    if (S_ISDIR(st.st_mode)) return Kind::Folder;
    return Kind::Other;
}

FolderListing listNatively(const QString& folder) {
    FolderListing out;
    if (folder.isEmpty()) return out;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) return out;
    const int fd = ::dirfd(dir);
    out.ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0) out.ok = false;  // cut short: the lists are incomplete
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.') continue;  // hidden, and "." and ".."
        const qsizetype size = qsizetype(std::strlen(name));
        if (isValidUtf8(QByteArrayView(name, size))) {
            const Kind kind = kindOf(fd, entry);
            // What QFile::decodeName does: Qt 6 takes Unix file names as UTF-8.
            if (kind == Kind::File) out.files.append(QString::fromUtf8(name, size));
            else if (kind == Kind::Folder) out.subfolders.append(QString::fromUtf8(name, size));
            continue;
        }
        QByteArray raw(name, size);
        std::optional<QString> decoded = legacyDecodedName(raw);
        if (!decoded) continue;
        const Kind kind = kindOf(fd, entry);
        if (kind != Kind::Other)
            out.legacy.append({std::move(raw), std::move(*decoded), kind == Kind::Folder});
    }
    ::closedir(dir);
    return out;
}

#else

// Elsewhere names are Unicode already: no legacy names occur.
FolderListing listWithQDir(const QString& folder) {
    FolderListing out;
    if (folder.isEmpty()) return out;
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable()) return out;
    out.ok = true;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        (info.isDir() ? out.subfolders : out.files).append(info.fileName());
    }
    return out;
}

#endif

} // namespace

bool naturalLess(const QString& a, const QString& b) {
    const int c = naturalCompare(a, b);
    if (c != 0) return c < 0;
    return a < b;
}

namespace {

// The head of a name's sort key, for sorting without a comparison reading
// the names: element by element the key orders names as naturalCompare
// does. A letter is its folded code; a run of digits is a digit's code (it
// meets a letter as any digit would), then its count of significant digits,
// those digits, and its count of leading zeros. The first eight elements,
// 16 bits each, are packed into two integers that compare as the elements
// do; heads that differ order their names, equal heads leave it to
// naturalLess. An element too large to pack ends the head as the largest.
struct NaturalHead {
    quint64 hi = 0, lo = 0;
    qsizetype index = 0;
};

NaturalHead naturalHead(const QString& name, qsizetype index) {
    NaturalHead head;
    head.index = index;
    int packed = 0;
    auto put = [&](qsizetype value) {
        if (packed == 8) return false;
        const quint64 v = quint64(std::min<qsizetype>(value, 0xFFFF));
        (packed < 4 ? head.hi : head.lo) |= v << (16 * (3 - packed % 4));
        ++packed;
        return v != 0xFFFF;
    };
    const qsizetype n = name.size();
    const QChar* c = name.constData();
    for (qsizetype i = 0; i < n;) {
        if (isDigit(c[i])) {
            qsizetype s = i;
            while (s < n && c[s] == u'0') ++s;
            qsizetype e = s;
            while (e < n && isDigit(c[e])) ++e;
            if (!put(u'0') || !put(e - s)) break;
            qsizetype k = s;
            while (k < e && put(c[k].unicode())) ++k;
            if (k < e || !put(s - i)) break;
            i = e;
            continue;
        }
        const char16_t u = c[i].unicode();
        if (!put(u < 0x80 ? (u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u) : c[i].toCaseFolded().unicode())) break;
        ++i;
    }
    return head;
}

} // namespace

void sortNatural(QStringList& names) {
    const qsizetype n = names.size();
    if (n < 2) return;
    std::vector<NaturalHead> heads;
    heads.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i) heads.push_back(naturalHead(names[i], i));
    const QStringList& all = names;
    std::sort(heads.begin(), heads.end(), [&](const NaturalHead& a, const NaturalHead& b) {
        if (a.hi != b.hi) return a.hi < b.hi;
        if (a.lo != b.lo) return a.lo < b.lo;
        return naturalLess(all[a.index], all[b.index]);
    });
    QStringList sorted;
    sorted.reserve(n);
    for (const NaturalHead& h : heads) sorted.append(std::move(names[h.index]));
    names = std::move(sorted);
}

FolderListing listFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    FolderListing out = listNatively(folder);
#else
    FolderListing out = listWithQDir(folder);
#endif
    sortNatural(out.files);
    sortNatural(out.subfolders);
    std::sort(out.legacy.begin(), out.legacy.end(), [](const LegacyName& a, const LegacyName& b) {
        return naturalLess(a.decoded, b.decoded);
    });
    return out;
}

QStringList listFiles(const QString& folder, bool* ok) {
    FolderListing listing = listFolder(folder);
    if (ok) *ok = listing.ok;
    return std::move(listing.files);
}

QStringList listSubfolders(const QString& folder) {
    return std::move(listFolder(folder).subfolders);
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

bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..") return false;
    return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

QString joinPath(const QString& folder, const QString& name) {
    const QChar sep = QDir::separator();
    if (folder.isEmpty()) return name;
    if (folder.endsWith(sep) || folder.endsWith(u'/')) return folder + name;
    return folder + sep + name;
}

bool copyFileReplacing(const QString& from, const QString& to, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    QFile source(from);
    errno = 0;
    if (!source.open(QIODevice::ReadOnly)) return fail(fileErrorReason(source, errno));
    if (folderExists(to)) return fail(fileErrorReason(EISDIR));
    // A link would be followed, and the file it points to, maybe far from
    // the chosen folder, replaced.
    if (QFileInfo(to).isSymLink()) return fail(QStringLiteral("同名的链接挡在那里"));
    PartFile target(to);
    if (!target.open()) return fail(fileErrorReason(errno));
    bool copied = false;
#ifdef Q_OS_LINUX
    // The kernel copies without the data passing through here (and shares
    // extents where the file system can). Where it can't (another file
    // system, an old kernel) it copies nothing, and the loop below does.
    qint64 done = 0;
    for (;;) {
        errno = 0;
        const ssize_t n =
            ::copy_file_range(source.handle(), nullptr, target.device().handle(), nullptr, 1 << 30, 0);
        if (n > 0) {
            done += n;
            continue;
        }
        // The end; a file that reads short of its size is no full copy.
        if (n == 0) copied = done == source.size();
        if (!copied && done > 0) {
            // Short without an error: the file changed while it was read.
            return fail(errno ? fileErrorReason(errno) : QStringLiteral("读取失败"));
        }
        break;
    }
#endif
    if (!copied) {
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        for (;;) {
            errno = 0;
            const qint64 n = source.read(buffer.data(), buffer.size());
            if (n < 0) return fail(fileErrorReason(source, errno));
            if (n == 0) break;
            if (!target.write(buffer.constData(), n)) return fail(fileErrorReason(errno));
        }
    }
    if (!target.commit()) return fail(fileErrorReason(errno));
    return true;
}

namespace {

DiskSync g_diskSync;

bool systemSync(const QString& folder, const QStringList& names, QString* error) {
    auto fail = [error](int why) {
        if (error) *error = fileErrorReason(why);
        return false;
    };
#if defined(Q_OS_LINUX)
    // One call for the lot: the kernel writes out the files in the order it
    // likes, where a sync per file would wait on the disk once a file.
    Q_UNUSED(names);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    const int synced = ::syncfs(fd);
    const int why = errno;
    ::close(fd);
    if (synced != 0) return fail(why);
    return true;
#else
    for (const QString& name : names) {
        QFile file(joinPath(folder, name));
        errno = 0;
#ifdef Q_OS_WIN
        // Flushing needs a handle that may write; nothing is written.
        if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return fail(errno ? errno : EACCES);
        if (::_commit(file.handle()) != 0) return fail(errno);
#else
        if (!file.open(QIODevice::ReadOnly)) return fail(errno ? errno : EIO);
        if (::fsync(file.handle()) != 0) return fail(errno);
#endif
    }
#ifdef Q_OS_UNIX
    // The renames live in the folder.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY);
    if (fd < 0) return fail(errno);
    const int synced = ::fsync(fd);
    const int why = errno;
    ::close(fd);
    // Some file systems can't sync a folder; the files are on disk.
    if (synced != 0 && why != EINVAL) return fail(why);
#endif
    return true;
#endif
}

} // namespace

bool syncToDisk(const QString& folder, const QStringList& names, QString* error) {
    return g_diskSync ? g_diskSync(folder, names, error) : systemSync(folder, names, error);
}

void setDiskSync(DiskSync sync) { g_diskSync = std::move(sync); }

bool moveFileNoReplace(const QString& from, const QString& to, QString* error) {
    auto fail = [error](int errorNumber) {
        if (error) *error = fileErrorReason(errorNumber);
        return false;
    };
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink()) return fail(EEXIST);
#ifdef Q_OS_LINUX
    // The kernel refuses an existing target in the same step as the rename,
    // so a file that appears meanwhile is never replaced either.
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    errno = 0;
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0) return true;
    // File systems without the flag: the check above has to do.
    if (errno != EINVAL && errno != ENOSYS) return fail(errno);
    errno = 0;
    if (::rename(a.constData(), b.constData()) == 0) return true;
    return fail(errno);
#else
    QFile file(from);
    errno = 0;
    if (file.rename(to)) return true;
    const int saved = errno;
    if (error) *error = fileErrorReason(file, saved);
    return false;
#endif
}

} // namespace kinoleaf

namespace kinoleaf {

WrittenFile writtenFile(const QString& path, bool replaced) {
    const QFileInfo info(path);
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch(), replaced};
}

bool unchangedSince(const WrittenFile& file) {
    const QFileInfo info(file.path);
    return info.isFile() && !info.isSymLink() && info.size() == file.size &&
           info.lastModified().toMSecsSinceEpoch() == file.modifiedMs;
}

PartFile::~PartFile() {
    if (!m_file.fileName().isEmpty()) {
        m_file.close();
        m_file.remove();
    }
}

bool PartFile::open() {
    const QString folder = QFileInfo(m_target).absolutePath();
    // A fresh name each time: NewOnly never opens someone else's file, and the
    // mode follows the umask like any file the user makes.
    for (int attempt = 0; attempt < 64; ++attempt) {
        m_file.setFileName(joinPath(folder, QStringLiteral(".kinoleaf-%1.part")
                                                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        errno = 0;
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
        if (errno != EEXIST) break;
    }
    const int why = errno;
    m_file.setFileName(QString());
    errno = why;
    return false;
}

bool PartFile::write(const QByteArray& data) { return write(data.constData(), data.size()); }

bool PartFile::write(const char* data, qint64 size) {
    errno = 0;
    return m_file.write(data, size) == size;
}

bool PartFile::flush() {
    errno = 0;
    return m_file.flush();
}

bool PartFile::commit() {
    errno = 0;
    if (!m_file.flush()) return false;
    m_file.close();
    // Replaces the target in one step; QFile::rename would refuse.
    auto native = [](const QString& path) {
#ifdef Q_OS_WIN
        return std::filesystem::path(path.toStdWString());
#else
        return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
    };
    std::error_code error;
    std::filesystem::rename(native(m_file.fileName()), native(m_target), error);
    if (error) {
#ifdef Q_OS_WIN
        errno = EACCES;
#else
        errno = error.value();
#endif
        return false;
    }
    m_file.setFileName(QString());
    return true;
}

} // namespace kinoleaf
