#include "editor/PicMovieWnd.h"
#include "platform/preview_decoder.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_translations.h"
#include "platform/session.h"

#include <QApplication>

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
    window.show();
    const int rc = app.exec();
    kinoleaf::setDialogs(nullptr);
    return rc;
}
