#include "bench_support.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace kinoleaf::bench {

QImage photoLike(QSize size, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    std::minstd_rand random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int g = 255 * y / size.height();
        for (int x = 0; x < size.width(); ++x) {
            const int r = 255 * x / size.width();
            const int noise = int(random() % 41) - 20;
            line[x] = qRgb(std::clamp(r + noise, 0, 255), std::clamp(g + noise, 0, 255),
                           std::clamp(128 + (r - g) / 4 + noise / 2, 0, 255));
        }
    }
    return image;
}

QStringList writePages(const QString& dir, QSize size, const char* format, int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(dir).filePath(QString("p%1_%2x%3.%4")
                                                    .arg(i).arg(size.width()).arg(size.height()).arg(format));
        if (!photoLike(size, unsigned(i + 1) * 7919u).save(path, format, 90)) qFatal("cannot write %s", qPrintable(path));
        paths << path;
    }
    return paths;
}

QByteArray photoJpeg(QSize size, unsigned seed) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!photoLike(size, seed).save(&buffer, "JPG", 90)) qFatal("cannot encode a JPEG");
    return bytes;
}

bool writeFiles(const QString& dir, const QStringList& names, const QByteArray& bytes) {
    if (!QDir().mkpath(dir)) return false;
    for (const QString& name : names) {
        QFile f(QDir(dir).filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return false;
    }
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

ChildRun runProgram(const QList<QByteArray>& args) {
    ChildRun run;
    std::vector<char*> argv;
    QList<QByteArray> owned = args;
    for (QByteArray& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.wallMs = msSince(t);
    run.cpuMs = rusageMs(usage);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

CopyAndSync cpThenSync(const QStringList& files, const QString& folder) {
    QList<QByteArray> args{"cp", "--"};
    for (const QString& f : files) args << QFile::encodeName(f);
    args << QFile::encodeName(folder);
    CopyAndSync run;
    run.cp = runProgram(args);
    if (run.cp.ok) run.sync = runProgram({"sync", "-f", QFile::encodeName(folder)});
    return run;
}

ChildRun runCurl(const QStringList& urls, const QStringList& outputs, const QString& configPath) {
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly)) return {};
    for (int i = 0; i < urls.size(); ++i)
        config.write(QStringLiteral("url = \"%1\"\noutput = \"%2\"\n").arg(urls[i], outputs[i]).toUtf8());
    config.close();
    return runProgram({"curl", "-s", "-S", "--noproxy", "*", "-K", QFile::encodeName(configPath)});
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double minimum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

QString figures(const std::vector<double>& values, int decimals) {
    return QString("median %1 (min %2, max %3)")
        .arg(median(values), 0, 'f', decimals)
        .arg(minimum(values), 0, 'f', decimals)
        .arg(maximum(values), 0, 'f', decimals);
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double rusageMs(const rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

double processCpuMs() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return rusageMs(r);
}

QString processorName() {
    QFile cpuinfo("/proc/cpuinfo");
    QString name = "unknown processor";
    int count = 0;
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : cpuinfo.readAll().split('\n')) {
            if (!line.startsWith("model name")) continue;
            ++count;
            name = QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
        }
    }
    return QString("%1, %2 logical CPUs").arg(name).arg(count);
}

} // namespace kinoleaf::bench
