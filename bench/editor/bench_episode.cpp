// Episode generation against cp followed by sync: 1,000 pages of 1 MB
// images copied with a script of their rows and synced to disk, and the same
// files copied by cp, then `sync -f` on the target, in the same run,
// interleaved (the order alternates), each into a fresh folder. Both sides
// start from a synced file system, so neither meets the other's write-back.
//   bench_episode [runs]

#include "bench_support.h"
#include "editor/LoadingWnd.h"
#include "editor/episode.h"
#include "platform/file_helpers.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kPages = 1000;
constexpr int kBytes = 1 << 20;

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
    std::vector<double> oursCpu, oursWall, refCpu, refWall, cpWall, syncWall;
    auto settle = [&] {
        // What the last run left (its removal) is written out untimed.
        if (!syncToDisk(tmp.path(), {})) std::printf("the untimed sync failed\n");
    };
    auto runOurs = [&](const QString& target) {
        progress.Prepare(QStringLiteral("存储中..."), QStringLiteral("0%"), QStringLiteral("剧集生成中，请稍候..."));
        const double c0 = processCpuMs();
        QElapsedTimer t;
        t.start();
        const episode::Result r = episode::generate(rows, movie, target, [&](int done, int total) {
            progress.Advance(done, total);
        });
        progress.Finish();
        oursWall.push_back(msSince(t));
        oursCpu.push_back(processCpuMs() - c0);
        return r.scriptWritten && r.failed.isEmpty() && r.syncError.isEmpty();
    };
    auto runReference = [&](const QString& target) {
        const CopyAndSync r = cpThenSync(files, target);
        refCpu.push_back(r.cpuMs());
        refWall.push_back(r.wallMs());
        cpWall.push_back(r.cp.wallMs);
        syncWall.push_back(r.sync.wallMs);
        return r.ok();
    };
    for (int run = 0; run < runs; ++run) {
        const QString ours = tmp.filePath(QStringLiteral("ours%1").arg(run));
        const QString theirs = tmp.filePath(QStringLiteral("cp%1").arg(run));
        QDir().mkpath(ours);
        QDir().mkpath(theirs);
        bool ok = true;
        for (int side = 0; side < 2; ++side) {
            settle();
            ok = ok && ((side == run % 2) ? runOurs(ours) : runReference(theirs));
        }
        if (!ok) {
            std::printf("run %d: the episode or cp + sync went wrong\n", run);
            return 1;
        }
        // Fresh folders each run; the next copies don't overwrite these.
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
    }
    std::printf("episode of %d pages of 1 MB, synced, %d runs, interleaved with cp + sync -f of the same files:\n",
                kPages, runs);
    std::printf("  episode   CPU  %s ms (process)\n", qPrintable(figures(oursCpu)));
    std::printf("  episode   wall %s ms\n", qPrintable(figures(oursWall)));
    std::printf("  cp + sync CPU  %s ms (children)\n", qPrintable(figures(refCpu)));
    std::printf("  cp + sync wall %s ms (cp %s, sync %s)\n", qPrintable(figures(refWall)),
                qPrintable(figures(cpWall)), qPrintable(figures(syncWall)));
    std::printf("  ratio of medians, episode / (cp + sync): wall %.2fx, CPU %.2fx   [target: wall within 1.3x]\n",
                median(oursWall) / median(refWall), median(oursCpu) / median(refCpu));
    return 0;
}
