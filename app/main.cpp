#include "editor/PicMovieWnd.h"
#include "platform/preview_decoder.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_translations.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A file-size limit must fail the save with a message, not end the
    // editor and every unsaved edit with it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
