// Paging with Shift+Right held, through the main window as a user does it:
// a key every 30 ms goes to the focused intro box, the window's key handling
// selects the next row, fills the intro box and asks the picture box for the
// page; the window is repainted after every key. Pages are JPEG photos never
// seen before (the preview cache is emptied before each run).
//   bench_flip [runs]
// Reports the CPU and wall time of each key's handling and repaint, and how
// long after the last key the last page's picture is complete, next to the
// time one decode of such a page takes.

#include "bench_support.h"
#include "editor/IntroTextBox.h"
#include "editor/PicMovieWnd.h"
#include "platform/aic_alpha_image.h"
#include "platform/dir_list_box.h"
#include "platform/preview_cache.h"
#include "platform/preview_decoder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace kinoleaf;
using namespace kinoleaf::bench;

namespace {

constexpr int kKeys = 20;
constexpr int kKeyIntervalMs = 30;

void pressShiftRight() {
    QWidget* focused = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::sendEvent(focused, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::sendEvent(focused, &release);
}

// Waits (running the event loop) until the box shows path completely.
bool waitShown(aicAlphaImage* box, const QString& path, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (!(box->currentPath() == path && box->pendingPath().isEmpty())) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

bool benchSet(const QString& label, QSize size, int runs) {
    QTemporaryDir tmp;
    const QStringList pages = writePages(tmp.path(), size, "jpg", kKeys + 1);

    PicMovieWnd wnd;
    wnd.show();
    if (!QTest::qWaitForWindowExposed(&wnd)) return false;
    QApplication::setActiveWindow(&wnd);
    wnd.FilePathList->setPath(tmp.path());
    aicAlphaImage* box = wnd.PicMovieImg;

    std::vector<double> decode;
    for (int i = 0; i < 5; ++i) {
        const double c0 = threadCpuMs();
        if (!decodePreview(pages[kKeys], box->contentsRect().size()).ok()) return false;
        decode.push_back(threadCpuMs() - c0);
    }

    std::vector<double> keyCpu, keyWall, lastComplete, shownPages, pageLag;
    for (int run = 0; run < runs; ++run) {
        box->waitForBackgroundWork();
        PreviewCache::shared()->clear();
        wnd.setSelectedRow(0);
        if (!waitShown(box, pages[0])) return false;
        QApplication::setActiveWindow(&wnd);
        wnd.TxtMovieIntro->setFocus();
        if (QApplication::focusWidget() != wnd.TxtMovieIntro) {
            std::fprintf(stderr, "the intro box has no keyboard focus\n");
            return false;
        }
        box->waitForBackgroundWork();
        PreviewCache::shared()->clear();  // the neighbours hinted at page 0 too

        // When each page's picture was on screen, counted from its key.
        std::vector<double> keyAt(kKeys + 1, -1), shownAt(kKeys + 1, -1);
        QElapsedTimer clock;
        clock.start();
        auto noteShown = [&] {
            const int page = int(pages.indexOf(box->currentPath()));
            if (page > 0 && shownAt[page] < 0 && box->pendingPath().isEmpty()) shownAt[page] = msSince(clock);
        };
        QObject counter;
        QObject::connect(box, &aicAlphaImage::imageShown, &counter, noteShown);
        int sent = 0;
        QElapsedTimer sinceLast;
        QEventLoop loop;
        QTimer keys;
        keys.setInterval(kKeyIntervalMs);
        QObject::connect(&keys, &QTimer::timeout, &loop, [&] {
            const double c0 = threadCpuMs();
            QElapsedTimer t;
            t.start();
            keyAt[sent + 1] = msSince(clock);
            pressShiftRight();
            wnd.repaint();
            noteShown();
            keyWall.push_back(msSince(t));
            keyCpu.push_back(threadCpuMs() - c0);
            if (++sent == kKeys) {
                keys.stop();
                sinceLast.start();
                loop.quit();
            }
        });
        keys.start();
        loop.exec();
        if (wnd.selectedRow() != kKeys) {
            std::fprintf(stderr, "the keys reached row %d, not %d\n", wnd.selectedRow(), kKeys);
            return false;
        }
        if (!waitShown(box, pages[kKeys])) return false;
        lastComplete.push_back(msSince(sinceLast));
        int shown = 0;
        for (int page = 1; page <= kKeys; ++page) {
            if (shownAt[page] < 0) continue;
            ++shown;
            pageLag.push_back(shownAt[page] - keyAt[page]);
        }
        shownPages.push_back(shown);
    }

    std::printf("%s, %d keys %d ms apart, %d runs:\n", qPrintable(label), kKeys, kKeyIntervalMs, runs);
    std::printf("  one key's handling and repaint: CPU  %s ms\n", qPrintable(figures(keyCpu, 2)));
    std::printf("                                  wall %s ms\n", qPrintable(figures(keyWall, 2)));
    std::printf("  last picture complete after the last key: wall %s ms\n", qPrintable(figures(lastComplete)));
    std::printf("  one decode of such a page: CPU %s ms (one decode and a 16.7 ms frame: %.1f ms)\n",
                qPrintable(figures(decode)), median(decode) + 16.7);
    std::printf("  pictures on screen on the way: median %.0f of %d pages; each after its key: %s ms\n",
                median(shownPages), kKeys, qPrintable(figures(pageLag)));
    wnd.FilePathList->setPath(QDir::tempPath());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    quietImageReaderWarnings();
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
    std::printf("processor: %s\n", qPrintable(processorName()));
    if (!benchSet("JPEG 1920x1080", {1920, 1080}, runs)) return 1;
    if (!benchSet("JPEG 4000x3000", {4000, 3000}, runs)) return 1;
    return 0;
}
