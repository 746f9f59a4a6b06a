#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QStringEncoder>

#ifdef Q_OS_UNIX
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
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

} // namespace kinoleaf::test
