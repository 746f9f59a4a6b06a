// A story's images fetched one after another by DownNetFile, next to curl
// fetching the same URLs one after another in a single process, from a
// local server running in its own thread. Runs alternate so both meet the
// same machine load.

#include "bench_support.h"
#include "online/http_exchange.h"
#include "support/test_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kImages = 500;
constexpr int kImageBytes = 200 * 1024;
constexpr int kRuns = 7;

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;     // the fetching side's
    double serverMs = 0;  // the server thread's, for either side
};

QByteArray imageTarget(int i) {
    return QStringLiteral("/story/42/%1.jpg").arg(i, 4, 10, QChar('0')).toLatin1();
}

// Every file there, with the size served; a short or missing one spoils the run.
void checkFiles(const QString& dir, const QByteArray& image) {
    for (int i = 0; i < kImages; ++i) {
        const QString path = QDir(dir).filePath(QStringLiteral("%1.jpg").arg(i, 4, 10, QChar('0')));
        if (QFileInfo(path).size() != image.size()) qFatal("bench_download: %s is missing or short", qPrintable(path));
    }
    QFile last(QDir(dir).filePath(QStringLiteral("%1.jpg").arg(kImages - 1, 4, 10, QChar('0'))));
    if (!last.open(QIODevice::ReadOnly) || last.readAll() != image) qFatal("bench_download: wrong content");
}

Sample ours(const test::TestService& service, const QStringList& urls, const QByteArray& image) {
    QTemporaryDir dir;
    const double server0 = service.threadCpuMs();
    const double cpu0 = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < urls.size(); ++i) {
        const online::Download d =
            online::DownNetFile(urls[i], dir.filePath(QStringLiteral("%1.jpg").arg(i, 4, 10, QChar('0'))));
        if (!d.ok) qFatal("bench_download: %s", qPrintable(d.error));
    }
    Sample s;
    s.wallMs = msSince(wall);
    s.serverMs = service.threadCpuMs() - server0;
    s.cpuMs = processCpuMs() - cpu0 - s.serverMs;
    checkFiles(dir.path(), image);
    return s;
}

Sample curl(const test::TestService& service, const QStringList& urls, const QByteArray& image) {
    QTemporaryDir dir;
    QStringList outputs;
    for (int i = 0; i < urls.size(); ++i) outputs << dir.filePath(QStringLiteral("%1.jpg").arg(i, 4, 10, QChar('0')));
    const double server0 = service.threadCpuMs();
    const ChildRun run = runCurl(urls, outputs, dir.filePath(QStringLiteral("urls.cfg")));
    if (!run.ok) qFatal("bench_download: curl failed");
    Sample s;
    s.wallMs = run.wallMs;
    s.cpuMs = run.cpuMs;
    s.serverMs = service.threadCpuMs() - server0;
    checkFiles(dir.path(), image);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty()) {
        std::printf("bench_download: curl is not installed (scripts/setup --test installs it)\n");
        return 1;
    }
    std::printf("processor: %s\n", qPrintable(processorName()));

    QByteArray image(kImageBytes, Qt::Uninitialized);  // incompressible, like a JPEG
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32*>(image.data()), image.size() / 4);
    test::TestService service;
    if (!service.startInThread()) qFatal("bench_download: the local service does not start");
    test::ServiceReply reply;
    reply.contentType = "image/jpeg";
    reply.body = image;
    QStringList urls;
    for (int i = 0; i < kImages; ++i) {
        service.setReply(imageTarget(i), reply);
        urls << service.url(imageTarget(i));
    }

    std::printf("%d images of %d KB from 127.0.0.1, one after another; %d runs each, alternating\n", kImages,
                kImageBytes / 1024, kRuns);
    ours(service, urls, image);  // warm-up: connection, caches, first files
    curl(service, urls, image);
    std::vector<double> oursWall, oursCpu, oursServer, curlWall, curlCpu, curlServer;
    for (int run = 0; run < kRuns; ++run) {
        const bool oursFirst = run % 2 == 0;
        Sample a, b;
        if (oursFirst) {
            a = ours(service, urls, image);
            b = curl(service, urls, image);
        } else {
            b = curl(service, urls, image);
            a = ours(service, urls, image);
        }
        oursWall.push_back(a.wallMs);
        oursCpu.push_back(a.cpuMs);
        oursServer.push_back(a.serverMs);
        curlWall.push_back(b.wallMs);
        curlCpu.push_back(b.cpuMs);
        curlServer.push_back(b.serverMs);
        service.clearRequests();
    }

    std::printf("DownNetFile  wall ms: %s\n", qPrintable(figures(oursWall)));
    std::printf("DownNetFile  CPU ms:  %s  (this process without the server thread)\n", qPrintable(figures(oursCpu)));
    std::printf("curl         wall ms: %s\n", qPrintable(figures(curlWall)));
    std::printf("curl         CPU ms:  %s  (child process, wait4)\n", qPrintable(figures(curlCpu)));
    std::printf("server thread CPU ms: %s while DownNetFile, %s while curl\n", qPrintable(figures(oursServer)),
                qPrintable(figures(curlServer)));
    const double wallRatio = median(oursWall) / median(curlWall);
    const double cpuRatio = median(oursCpu) / median(curlCpu);
    std::printf("ratio of medians DownNetFile / curl: wall %.2fx, CPU %.2fx (target: wall within 1.5x)\n", wallRatio,
                cpuRatio);
    return 0;
}
