#pragma once
// What the benchmarks share: photo-like pages, figures with median, min and
// max, CPU clocks and the processor's name.

#include <QElapsedTimer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <sys/resource.h>
#include <vector>

namespace kinoleaf::bench {

// A gradient with noise: compresses about as badly as a photo does.
QImage photoLike(QSize size, unsigned seed);
// count pages of the given size and format (quality 90) in dir.
QStringList writePages(const QString& dir, QSize size, const char* format, int count);

double msSince(const QElapsedTimer& timer);
double median(std::vector<double> values);
double minimum(const std::vector<double>& values);
double maximum(const std::vector<double>& values);
// "median 12.3 (min 10.1, max 15.0)"
QString figures(const std::vector<double>& values, int decimals = 1);

// The JPEG bytes of photoLike(size, seed) at quality 90.
QByteArray photoJpeg(QSize size, unsigned seed);
// Writes bytes under each name in dir (made when missing), then syncs dir's
// file system, so what is timed next does not meet their write-back.
bool writeFiles(const QString& dir, const QStringList& names, const QByteArray& bytes);

// A program run to its end: its CPU time (user + system, from wait4) and
// the wall time from start to exit. ok is false when it did not start or
// did not exit with 0.
struct ChildRun {
    bool ok = false;
    double cpuMs = 0, wallMs = 0;
};
ChildRun runProgram(const QList<QByteArray>& args);
// `cp -- files... folder`, then `sync -f folder`: the reference for copies
// that are on disk when they are done.
struct CopyAndSync {
    ChildRun cp, sync;
    bool ok() const { return cp.ok && sync.ok; }
    double cpuMs() const { return cp.cpuMs + sync.cpuMs; }
    double wallMs() const { return cp.wallMs + sync.wallMs; }
};
CopyAndSync cpThenSync(const QStringList& files, const QString& folder);
// One curl process fetching urls[i] into outputs[i], one after another,
// told what to fetch by a config file written at configPath.
ChildRun runCurl(const QStringList& urls, const QStringList& outputs, const QString& configPath);

double threadCpuMs();   // this thread
double rusageMs(const rusage& r);
double processCpuMs();  // every thread of the process
// "AMD EPYC, 2 logical CPUs"
QString processorName();

} // namespace kinoleaf::bench
