#include "editor/PicMovieWnd.h"
#include "platform/preview_decoder.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_translations.h"
#include "platform/session.h"

#include "editor/journal_keeper.h"
#include "editor/start_options.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <QSessionManager>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A file-size limit must fail the save with a message, not end the
    // editor and every unsaved edit with it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Answered in a terminal without a graphical session too.
    if (const std::optional<int> rc = kinoleaf::answerTerminalOptions(argc, argv)) return *rc;
    if (!kinoleaf::displayAvailable()) {
        // Qt would abort with a long English text about platform plugins.
        std::fprintf(stderr, "%s\n", kinoleaf::noDisplayMessage(argv[0]).toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    kinoleaf::nameApplication();
    kinoleaf::installChineseQtTexts();
    QString wrong;
    const std::optional<kinoleaf::StartOptions> options = kinoleaf::startOptions(QApplication::arguments(), &wrong);
    if (!options) {
        std::fprintf(stderr, "%s\n%s\n", wrong.toLocal8Bit().constData(),
                     QStringLiteral("用法见 %1 --help").arg(QString::fromLocal8Bit(argv[0])).toLocal8Bit().constData());
        return 2;
    }
    // The installed icon theme's, else the one built in.
    QApplication::setWindowIcon(QIcon::fromTheme(kinoleaf::kDesktopId, QIcon(QStringLiteral(":/%1.svg").arg(kinoleaf::kDesktopId))));
    kinoleaf::quietImageReaderWarnings();
    kinoleaf::QtDialogs dialogs;
    kinoleaf::setDialogs(&dialogs);
    kinoleaf::PicMovieWnd window;
    QSettings settings;  // ~/.config/Kinoleaf/Kinoleaf.conf
    // Logging out closes the editor as its close box does, tools and
    // questions first; Cancel anywhere keeps the session. Without leave to
    // ask, the unsaved rows go to their journal, to be offered next time.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&](QSessionManager& manager) {
        // The session may end the program before it returns from its loop.
        window.rememberState(settings, options->remembering);
        settings.sync();
        if (manager.allowsInteraction()) {
            const bool closed = !window.isVisible() || window.close();
            manager.release();
            if (!closed) manager.cancel();
        } else {
            window.journalKeeper()->flush();
        }
    });
    window.restoreWindowGeometry(settings);
    window.show();
    window.openAtStart(settings, options->folder);
    const int rc = app.exec();
    window.rememberState(settings, options->remembering);
    kinoleaf::setDialogs(nullptr);
    return rc;
}
