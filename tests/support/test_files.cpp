#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QStringEncoder>

#ifdef Q_OS_LINUX
#include <linux/fs.h>
#endif
#ifdef Q_OS_UNIX
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kinoleaf::test {

QString writeBytes(const QString& dir, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return path;
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QByteArray gbkBytes(const QString& text) {
    QStringEncoder enc("GBK");
    return enc.encode(text);
}

QString writeImage(const QString& dir, const QString& name, QSize size, QColor color) {
    QDir().mkpath(dir);
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    const QString path = QDir(dir).filePath(name);
    QByteArray fmt = QFileInfo(name).suffix().toLower().toLatin1();
    if (fmt == "jpeg") fmt = "jpg";
    if (!QImageWriter::supportedImageFormats().contains(fmt)) fmt = "png";
    if (!img.save(path, fmt.constData())) qFatal("cannot write image %s", qPrintable(path));
    return path;
}

#ifdef Q_OS_UNIX
namespace {
QByteArray rawPath(const QString& folder, const QByteArray& raw) {
    return QFile::encodeName(folder) + '/' + raw;
}
} // namespace

bool makeRawFile(const QString& folder, const QByteArray& raw, const QByteArray& content) {
    const int fd = ::open(rawPath(folder, raw).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

bool makeRawFolder(const QString& folder, const QByteArray& raw) {
    return ::mkdir(rawPath(folder, raw).constData(), 0755) == 0;
}

bool rawExists(const QString& folder, const QByteArray& raw) {
    struct stat st;
    return ::lstat(rawPath(folder, raw).constData(), &st) == 0;
}

QByteArray readRaw(const QString& folder, const QByteArray& raw) {
    QByteArray content;
    const int fd = ::open(rawPath(folder, raw).constData(), O_RDONLY);
    if (fd < 0) return "<missing>";
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) content.append(buffer, n);
    ::close(fd);
    return content;
}

RawTempDir::RawTempDir() {
    QTemporaryDir dir;
    dir.setAutoRemove(false);
    m_path = dir.path();
}

RawTempDir::~RawTempDir() {
    ::nftw(QFile::encodeName(m_path).constData(),
           [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
           FTW_DEPTH | FTW_PHYS);
}

FileSizeLimit::FileSizeLimit(long long bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_saved = static_cast<long long>(limit.rlim_cur);
    std::signal(SIGXFSZ, SIG_IGN);  // report EFBIG instead of ending the process
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_saved);
    setrlimit(RLIMIT_FSIZE, &limit);
}
#else
FileSizeLimit::FileSizeLimit(long long) {}
FileSizeLimit::~FileSizeLimit() {}
#endif

#ifdef Q_OS_LINUX
namespace {
// The folder's inode flags; false when the file system has none.
bool setImmutable(const QString& folder, bool on) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
} // namespace
#endif

ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : m_folder(folder) {
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::ExeOther);
#ifdef Q_OS_UNIX
    if (::geteuid() != 0) {
        m_ok = true;
        return;
    }
#endif
#ifdef Q_OS_LINUX
    m_immutable = setImmutable(folder, true);
    m_ok = m_immutable;
    if (!m_ok) m_why = QStringLiteral("running as root, and the file system can't make the folder immutable");
#else
    m_why = QStringLiteral("no read-only folder for this user here");
#endif
}

ReadOnlyFolder::~ReadOnlyFolder() {
#ifdef Q_OS_LINUX
    if (m_immutable) setImmutable(m_folder, false);
#endif
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

} // namespace kinoleaf::test
