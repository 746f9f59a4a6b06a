#pragma once
// What the benchmarks share: photo-like pages, figures with median, min and
// max, CPU clocks and the processor's name.

#include <QElapsedTimer>
#include <QImage>
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

double threadCpuMs();   // this thread
double rusageMs(const rusage& r);
double processCpuMs();  // every thread of the process
// "AMD EPYC, 2 logical CPUs"
QString processorName();

} // namespace kinoleaf::bench
