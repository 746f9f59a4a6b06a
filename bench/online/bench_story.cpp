// A story download end to end: 500 images of 200 KB through the movie list
// window's StartDownloadMovieSaveToPath from the local stand-in service (in
// a thread of its own), with the progress window showing, interleaved with
// the same images fetched by a bare DownNetFile loop and by curl (one
// process, one image after another), each run into fresh folders, the
// order turning from run to run. The service thread's CPU is not counted.
//   bench_story [runs]

#include "bench_gui.h"
#include "editor/LoadingWnd.h"
#include "editor/PicMovieWnd.h"
#include "online/ServerLoginWnd.h"
#include "online/ServerMovieListWnd.h"
#include "online/http_exchange.h"
#include "platform/dialogs.h"
#include "support/test_service.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kPages = 500;
constexpr int kBytes = 200 * 1024;

bool folderHoldsTheStory(const QString& folder, bool withScript) {
    for (int i = 0; i < kPages; ++i) {
        if (QFileInfo(QDir(folder).filePath(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')))).size() != kBytes)
            return false;
    }
    if (!withScript) return true;
    QFile script(QDir(folder).filePath(QStringLiteral("ReelsketchScript.txt")));
    return script.open(QIODevice::ReadOnly) && script.readAll().count("\r\n") == kPages;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty()) {
        std::printf("bench_story: curl is not installed (scripts/setup --test installs it)\n");
        return 1;
    }
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;
    std::printf("processor: %s\n", qPrintable(processorName()));

    test::TestService service;
    if (!service.startInThread()) {
        std::printf("the local service could not start\n");
        return 1;
    }
    online::setServiceBaseUrl(service.baseUrl());
    QJsonArray story;
    QStringList urls;
    QByteArray data(kBytes, Qt::Uninitialized);
    // The window keeps only what reads as a picture: each page starts as a
    // small PNG, and the noise after its end makes up the size.
    QByteArray head;
    {
        QBuffer buffer(&head);
        buffer.open(QIODevice::WriteOnly);
        QImage(2, 2, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    for (int i = 0; i < kPages; ++i) {
        QRandomGenerator(quint32(i + 1)).fillRange(reinterpret_cast<quint32*>(data.data()), kBytes / 4);
        data.replace(0, head.size(), head);
        const QByteArray path = QStringLiteral("/img/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')).toUtf8();
        test::ServiceReply reply;
        reply.contentType = "image/jpeg";
        reply.body = data;
        service.setReply(path, reply);
        urls << service.url(path);
        story.append(QJsonObject{{"image", urls.last()}, {"intro", QStringLiteral("第%1页的解说").arg(i + 1)}});
    }
    service.setJson(test::TestService::kMovieStory,
                    QJsonDocument(QJsonObject{{"status", 1}, {"pages_count", kPages}, {"story", story}})
                        .toJson(QJsonDocument::Compact));

    AnsweringDialogs dialogs;
    setDialogs(&dialogs);
    PicMovieWnd wnd;
    wnd.show();
    wnd.loginWnd()->login_UserName = QStringLiteral("bench");
    ServerMovieListWnd* list = wnd.movieListWnd();
    list->showCentred();
    list->ListMovies->addItem(QStringLiteral("1 | 影片"));
    list->ListMovies->setCurrentRow(0);
    LoadingWnd* loading = wnd.loadingWnd();

    QTemporaryDir tmp;
    QStringList names;
    for (int i = 0; i < kPages; ++i) names << QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
    std::vector<double> oursCpu, oursWall, oursRepaints, bareCpu, bareWall, curlCpu, curlWall;
    auto window = [&](const QString& ours) {
        dialogs.messages.clear();
        const int repaints = loading->repaintCount();
        const double c0 = processCpuMs() - service.threadCpuMs();
        QElapsedTimer t;
        t.start();
        list->StartDownloadMovieSaveToPath(ours);
        oursWall.push_back(msSince(t));
        oursCpu.push_back(processCpuMs() - service.threadCpuMs() - c0);
        oursRepaints.push_back(loading->repaintCount() - repaints);
        if (dialogs.messages != QStringList{QStringLiteral("下载完成！共计：%1 张").arg(kPages)} ||
            !folderHoldsTheStory(ours, true)) {
            std::printf("the download went wrong: %s\n", qPrintable(dialogs.messages.join(" / ")));
            return false;
        }
        return true;
    };
    auto bareLoop = [&](const QString& bare) {
        const double c0 = processCpuMs() - service.threadCpuMs();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kPages; ++i) {
            if (!online::DownNetFile(urls[i], QDir(bare).filePath(names[i])).ok) return false;
        }
        bareWall.push_back(msSince(t));
        bareCpu.push_back(processCpuMs() - service.threadCpuMs() - c0);
        return folderHoldsTheStory(bare, false);
    };
    auto curl = [&](const QString& folder) {
        QStringList outputs;
        for (const QString& name : names) outputs << QDir(folder).filePath(name);
        const ChildRun run = runCurl(urls, outputs, tmp.filePath(QStringLiteral("urls.cfg")));
        curlWall.push_back(run.wallMs);
        curlCpu.push_back(run.cpuMs);
        return run.ok && folderHoldsTheStory(folder, false);
    };
    for (int run = 0; run < runs; ++run) {
        const QStringList folders{tmp.filePath(QStringLiteral("ours%1").arg(run)),
                                  tmp.filePath(QStringLiteral("bare%1").arg(run)),
                                  tmp.filePath(QStringLiteral("curl%1").arg(run))};
        for (const QString& folder : folders) QDir().mkpath(folder);
        for (int step = 0; step < 3; ++step) {
            const int side = (run + step) % 3;
            const bool ok = side == 0 ? window(folders[0]) : side == 1 ? bareLoop(folders[1]) : curl(folders[2]);
            if (!ok) {
                std::printf("run %d: %s went wrong\n", run, side == 0 ? "the window" : side == 1 ? "the loop" : "curl");
                return 1;
            }
        }
        for (const QString& folder : folders) QDir(folder).removeRecursively();
    }
    setDialogs(nullptr);
    std::printf("story of %d images of 200 KB from the local service (own thread), %d runs,\n"
                "interleaved with a bare DownNetFile loop and curl over the same images:\n",
                kPages, runs);
    std::printf("  window CPU  %s ms (process less the service thread)\n", qPrintable(figures(oursCpu)));
    std::printf("  window wall %s ms\n", qPrintable(figures(oursWall)));
    std::printf("  progress repaints per run %s\n", qPrintable(figures(oursRepaints, 0)));
    std::printf("  bare   CPU  %s ms (process less the service thread)\n", qPrintable(figures(bareCpu)));
    std::printf("  bare   wall %s ms\n", qPrintable(figures(bareWall)));
    std::printf("  ratio of medians, window / bare: wall %.2fx, CPU %.2fx\n", median(oursWall) / median(bareWall),
                median(oursCpu) / median(bareCpu));
    std::printf("  curl   CPU  %s ms (child process, wait4)\n", qPrintable(figures(curlCpu)));
    std::printf("  curl   wall %s ms\n", qPrintable(figures(curlWall)));
    std::printf("  ratio of medians, window / curl: wall %.2fx, CPU %.2fx\n", median(oursWall) / median(curlWall),
                median(oursCpu) / median(curlCpu));
    return 0;
}
