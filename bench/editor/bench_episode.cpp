// Episode generation against cp: 1,000 pages of 1 MB images copied with a
// script of their rows, and the same files copied by cp, in the same run,
// interleaved, into fresh folders.
//   bench_episode [runs]

#include "bench_support.h"
#include "editor/LoadingWnd.h"
#include "editor/episode.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kPages = 1000;
constexpr int kBytes = 1 << 20;

// Runs cp on every page into target; the child's CPU time and the wall time.
bool runCp(const QStringList& files, const QString& target, double& cpuMs, double& wallMs) {
    QList<QByteArray> args{"cp", "--"};
    for (const QString& f : files) args << QFile::encodeName(f);
    args << QFile::encodeName(target);
    std::vector<char*> argv;
    for (QByteArray& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    wallMs = msSince(t);
    cpuMs = rusageMs(usage);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 5;
    std::printf("processor: %s\n", qPrintable(processorName()));

    QTemporaryDir tmp;
    const QString movie = tmp.filePath("movie");
    QDir().mkpath(movie);
    QStringList rows, files;
    QByteArray data(kBytes, Qt::Uninitialized);
    for (int i = 0; i < kPages; ++i) {
        // Random bytes: no file system can share or compress them away.
        QRandomGenerator(quint32(i + 1)).fillRange(reinterpret_cast<quint32*>(data.data()), kBytes / 4);
        const QString name = QStringLiteral("%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(QDir(movie).filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != kBytes) return 1;
        rows << name + QStringLiteral(" :第%1页").arg(i);
        files << f.fileName();
    }

    LoadingWnd progress;  // as the episode window shows it
    std::vector<double> oursCpu, oursWall, cpCpu, cpWall;
    for (int run = 0; run < runs; ++run) {
        const QString ours = tmp.filePath(QStringLiteral("ours%1").arg(run));
        const QString theirs = tmp.filePath(QStringLiteral("cp%1").arg(run));
        QDir().mkpath(ours);
        QDir().mkpath(theirs);

        progress.Prepare(QStringLiteral("存储中..."), QStringLiteral("0%"), QStringLiteral("剧集生成中，请稍候..."));
        const double c0 = processCpuMs();
        QElapsedTimer t;
        t.start();
        const episode::Result r = episode::generate(rows, movie, ours, [&](int done, int total) {
            progress.Advance(done, total);
        });
        progress.Finish();
        oursWall.push_back(msSince(t));
        oursCpu.push_back(processCpuMs() - c0);
        if (!r.scriptWritten || !r.failed.isEmpty()) return 1;

        double cpu = 0, wall = 0;
        if (!runCp(files, theirs, cpu, wall)) {
            std::printf("cp could not run\n");
            return 1;
        }
        cpCpu.push_back(cpu);
        cpWall.push_back(wall);
        // Fresh folders each run; the next copies don't overwrite these.
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
    }
    std::printf("episode of %d pages of 1 MB, %d runs, interleaved with cp of the same files:\n", kPages, runs);
    std::printf("  ours CPU  %s ms (process)\n", qPrintable(figures(oursCpu)));
    std::printf("  ours wall %s ms\n", qPrintable(figures(oursWall)));
    std::printf("  cp   CPU  %s ms (child)\n", qPrintable(figures(cpCpu)));
    std::printf("  cp   wall %s ms\n", qPrintable(figures(cpWall)));
    std::printf("  ratio of medians, ours / cp: wall %.2fx   [target: within 1.5x]\n", median(oursWall) / median(cpWall));
    return 0;
}
