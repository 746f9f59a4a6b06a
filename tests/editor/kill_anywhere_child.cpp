// The editor process the kill-anywhere test kills: it opens a movie folder
// in a real main window, types an intro it does not save, and runs one
// file-moving operation, saying "starting" on stdout just before it.
// Usage: kill_anywhere_child OPERATION MOVIE TARGET [KILL_AT_RENAME]
// It ends saying "done RENAMES NANOSECONDS", the operation's count and time.
// With KILL_AT_RENAME = n it kills itself right after the operation's n-th
// rename, so every step between two renames can be hit exactly.

#include "editor/IntroTextBox.h"
#include "editor/PicMovieWnd.h"
#include "editor/episode.h"
#include "editor/kill_anywhere_story.h"
#include "editor/journal_keeper.h"
#include "editor/PageListBox.h"
#include "platform/dir_list_box.h"
#include "online/ServerLoginWnd.h"
#include "online/ServerMovieListWnd.h"
#include "online/http_exchange.h"
#include "pages/WndDelPages.h"
#include "platform/dialogs.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"
#include "support/test_service.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

using namespace kinoleaf;

namespace {

std::atomic<bool> g_counting{false};
std::atomic<int> g_renames{0};
int g_killAt = 0;

void renamed() {
    if (!g_counting) return;
    if (++g_renames == g_killAt) raise(SIGKILL);
}

// Says yes and OK to every box, as a user who accepts everything.
class YesDialogs final : public Dialogs {
public:
    void message(const QString&, MsgIcon, const QString&) override {}
    Answer askYesNo(const QString&, const QString&) override { return Answer::Yes; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::Yes; }
    std::optional<QString> input(const QString&, const QString&, const QString& d) override { return d; }
};

void typeIntro(PicMovieWnd& wnd, const QString& text) {
    IntroTextBox* box = wnd.TxtMovieIntro;
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &release);
    }
}

// Every third row, the first included: what a selection keeps.
QStringList everyThird(const QStringList& rows) {
    QStringList out;
    for (int i = 0; i < rows.size(); i += 3) out << rows[i];
    return out;
}

int fail(const char* why) {
    std::fprintf(stderr, "kill_anywhere_child: %s\n", why);
    return 2;
}

} // namespace

// Every rename the operation makes, in the product code or in Qt, passes
// here on its way to the system.
extern "C" int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, unsigned int flags) {
    using Fn = int (*)(int, const char*, int, const char*, unsigned int);
    static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "renameat2"));
    const int r = real(olddirfd, oldpath, newdirfd, newpath, flags);
    if (r == 0) renamed();
    return r;
}
extern "C" int rename(const char* oldpath, const char* newpath) {
    using Fn = int (*)(const char*, const char*);
    static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "rename"));
    const int r = real(oldpath, newpath);
    if (r == 0) renamed();
    return r;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) return fail("usage: OPERATION MOVIE TARGET [KILL_AT_RENAME]");
    const QString op = QString::fromLocal8Bit(argv[1]);
    const QString movie = QString::fromLocal8Bit(argv[2]);
    const QString target = QString::fromLocal8Bit(argv[3]);
    if (argc > 4) g_killAt = std::atoi(argv[4]);

    YesDialogs yes;
    setDialogs(&yes);
    // The service runs in this process, before the window, so a kill takes both.
    test::TestService service;
    if (op == "download") {
        if (!service.startInThread()) return fail("no test service");
        online::setServiceBaseUrl(service.baseUrl());
        QJsonArray story;
        for (int i = 0; i < test::kStoryPages; ++i) {
            const QByteArray path = "/s/d" + QByteArray::number(i) + ".png";
            story.append(QJsonObject{{"image", service.url(path)}, {"intro", QStringLiteral("下载第%1页").arg(i)}});
            service.setReply(path, {200, "image/png", test::storyPicture(i)});
        }
        service.setJson(test::TestService::kMovieStory,
                        QJsonDocument(QJsonObject{{"status", 1}, {"pages_count", test::kStoryPages}, {"story", story}})
                            .toJson(QJsonDocument::Compact));
    }

    PicMovieWnd wnd;
    wnd.show();
    if (!QTest::qWaitForWindowExposed(&wnd)) return fail("window not shown");
    QApplication::setActiveWindow(&wnd);
    wnd.FilePathList->setPath(movie);
    if (wnd.rows().isEmpty() || wnd.rootFilePath.isEmpty()) return fail("movie not opened");
    wnd.setSelectedRow(0);
    typeIntro(wnd, QStringLiteral("改"));
    wnd.journalKeeper()->flush();

    // Set up before "starting", so the kills fall inside the operation.
    std::unique_ptr<SmartCutWnd> selection;
    WndDelPages* del = nullptr;
    if (op == "selection" || op == "copy") {
        selection = std::make_unique<SmartCutWnd>(&wnd);
        selection->showCentred();
        selection->resultWnd()->clearRows();
        selection->resultWnd()->showResult(everyThird(wnd.rows()));
    } else if (op == "batch") {
        wnd.BtnDelMorePages->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<WndDelPages*>(w)) del = found;
        if (!del) return fail("no batch deletion window");
        del->ListSrc->clearSelection();
        for (int r = 1; r < del->ListSrc->count(); r += 2) del->ListSrc->item(r)->setSelected(true);
        del->BtnDelSel->click();
    } else if (op == "download") {
        wnd.loginWnd()->login_UserName = "u";
        wnd.BtnLinkServer_Click();
        wnd.movieListWnd()->ListMovies->addItems({"7 | story"});
        wnd.movieListWnd()->ListMovies->setCurrentRow(0);
    }

    std::fputs("starting\n", stdout);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    g_counting = true;
    if (op == "save") {
        if (!wnd.SaveScript()) return fail("save failed");
    } else if (op == "publish") {
        wnd.BtnExportTj_Click();
    } else if (op == "delete") {
        // One page at a time, as a user clicks: row 1 each time.
        for (int i = 0; i < 25; ++i) {
            wnd.setSelectedRow(1);
            wnd.BtnDelPage->click();
        }
    } else if (op == "batch") {
        del->BtnOk->click();
    } else if (op == "selection") {
        selection->resultWnd()->BtnSaveDel_Click();
    } else if (op == "copy") {
        selection->resultWnd()->SaveToNewFilePath(target);
    } else if (op == "episode") {
        const episode::Result r = episode::generate(everyThird(wnd.rows()), movie, target);
        if (!r.scriptWritten) return fail("episode script not written");
    } else if (op == "download") {
        wnd.movieListWnd()->StartDownloadMovieSaveToPath(target);
    } else {
        return fail("unknown operation");
    }
    g_counting = false;
    std::fprintf(stdout, "done %d %lld\n", int(g_renames), timer.nsecsElapsed());
    std::fflush(stdout);
    // Gone at once: a clean close would ask about the unsaved rows.
    _exit(0);
}
