#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QStringEncoder>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
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
