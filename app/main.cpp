#include "editor/PicMovieWnd.h"
#include "platform/preview_decoder.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_translations.h"
#include "platform/session.h"

#include "editor/journal_keeper.h"

#include <QApplication>
#include <QSessionManager>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A file-size limit must fail the save with a message, not end the
    // editor and every unsaved edit with it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (!kinoleaf::displayAvailable()) {
        // Qt would abort with a long English text about platform plugins.
        std::fprintf(stderr, "%s\n", kinoleaf::noDisplayMessage(argv[0]).toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinoleaf"));
    kinoleaf::installChineseQtTexts();
    kinoleaf::quietImageReaderWarnings();
    kinoleaf::QtDialogs dialogs;
    kinoleaf::setDialogs(&dialogs);
    kinoleaf::PicMovieWnd window;
    // Logging out closes the editor as its close box does, tools and
    // questions first; Cancel anywhere keeps the session. Without leave to
    // ask, the unsaved rows go to their journal, to be offered next time.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager& manager) {
        if (manager.allowsInteraction()) {
            const bool closed = !window.isVisible() || window.close();
            manager.release();
            if (!closed) manager.cancel();
        } else {
            window.journalKeeper()->flush();
        }
    });
    window.show();
    const int rc = app.exec();
    kinoleaf::setDialogs(nullptr);
    return rc;
}
