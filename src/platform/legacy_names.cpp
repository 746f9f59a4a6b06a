#include "platform/legacy_names.h"

#include "platform/file_errors.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <stdio.h>  // renameat2 and RENAME_NOREPLACE (glibc)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kinoleaf {
namespace {

bool g_atomicNoReplace = true;

// A single entry name: renaming to anything else could move the entry out
// of its folder or onto the folder itself.
[[maybe_unused]] bool isPlainEntryName(const QByteArray& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

bool isCleanNameChar(char16_t u) {
    if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) return false;  // control characters
    if (u == 0xFFFD) return false;                           // a broken sequence
    // The code page's user-defined area decodes to private use: real names
    // don't use it, bytes of other encodings land there often.
    if (u >= 0xE000 && u <= 0xF8FF) return false;
    return true;
}

#ifdef Q_OS_UNIX

// 0, or the errno of the failure.
int renameNoReplace(int dirFd, const char* from, const char* to) {
    // Plain rename() silently replaces an existing file, or an empty folder,
    // of the new name; that may be the user's own proper-named copy.
#if defined(__GLIBC__) && defined(RENAME_NOREPLACE)
    if (g_atomicNoReplace) {
        if (::renameat2(dirFd, from, dirFd, to, RENAME_NOREPLACE) == 0) return 0;
        // Only some network and FUSE file systems (or old kernels) can't
        // promise no-replace; they get the fallback below.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    }
#endif
    struct stat st;
    if (::fstatat(dirFd, from, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) {
        // A second link refuses an existing name atomically; dropping the
        // old one then completes the rename.
        if (::linkat(dirFd, from, dirFd, to, 0) == 0) {
            if (::unlinkat(dirFd, from, 0) == 0) return 0;
            const int err = errno;
            ::unlinkat(dirFd, to, 0);  // back to the one name it had
            return err;
        }
        if (errno == EEXIST) return EEXIST;
        // No hard links here (FAT, exFAT and the like): check, then rename.
    }
    // Not atomic: something made between the check and the rename would be
    // replaced. Only reached on file systems that offer nothing better.
    if (::fstatat(dirFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return ::renameat(dirFd, from, dirFd, to) == 0 ? 0 : errno;
}

int renameIn(int dirFd, const QByteArray& rawName, const QString& decodedName) {
    const QByteArray target = QFile::encodeName(decodedName);
    if (!isPlainEntryName(rawName) || !isPlainEntryName(target)) return EINVAL;
    return renameNoReplace(dirFd, rawName.constData(), target.constData());
}

int openFolder(const QString& folder) {
    if (folder.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

#endif

} // namespace

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int trail;
        unsigned low = 0x80, high = 0xBF;  // range of the first trail byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2;
            if (lead == 0xE0) low = 0xA0;        // overlong
            else if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3;
            if (lead == 0xF0) low = 0x90;        // overlong
            else if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        if (end - p <= trail) return false;
        if (p[1] < low || p[1] > high) return false;
        for (int k = 2; k <= trail; ++k)
            if (p[k] < 0x80 || p[k] > 0xBF) return false;
        p += trail + 1;
    }
    return true;
}

std::optional<QString> legacyDecodedName(const QByteArray& raw) {
    if (raw.isEmpty() || isValidUtf8(raw)) return std::nullopt;
    // Stateless: a lead byte cut off at the end is an error, not something
    // to wait for. A fresh decoder per name, because the error flag stays
    // set once raised; opening one is cheap.
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid()) return std::nullopt;
    QString name = gbk.decode(raw);
    if (gbk.hasError() || name.isEmpty()) return std::nullopt;
    for (const QChar c : std::as_const(name))
        if (!isCleanNameChar(c.unicode())) return std::nullopt;
    return name;
}

QString renameLegacyName(const QString& folder, const QByteArray& rawName,
                         const QString& decodedName, QString* reason) {
    int err = ENOENT;  // such names only come from Unix file systems
#ifdef Q_OS_UNIX
    const int fd = openFolder(folder);
    if (fd < 0) {
        err = errno;
    } else {
        err = renameIn(fd, rawName, decodedName);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
    Q_UNUSED(rawName);
    Q_UNUSED(decodedName);
#endif
    if (err != 0) {
        if (reason) *reason = fileErrorReason(err);
        return {};
    }
    if (reason) reason->clear();
    return joinPath(folder, decodedName);
}

RenameReport renameLegacyNames(const QString& folder, const QList<LegacyName>& names) {
    RenameReport report;
    if (names.isEmpty()) return report;
    int folderErr = ENOENT;
#ifdef Q_OS_UNIX
    // One handle for the whole batch: a folder of thousands of pictures
    // shouldn't resolve its path thousands of times.
    const int fd = openFolder(folder);
    if (fd >= 0) {
        for (const LegacyName& name : names) {
            const int err = renameIn(fd, name.raw, name.decoded);
            if (err == 0) ++report.renamed;
            else report.failed.append({name.decoded, fileErrorReason(err)});
        }
        ::close(fd);
        return report;
    }
    folderErr = errno;
#else
    Q_UNUSED(folder);
#endif
    const QString reason = fileErrorReason(folderErr);
    for (const LegacyName& name : names) report.failed.append({name.decoded, reason});
    return report;
}

void setAtomicNoReplaceRename(bool enabled) { g_atomicNoReplace = enabled; }

} // namespace kinoleaf
