#include "editor/PicMovieWnd.h"
#include "platform/qt_dialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinoleaf"));
    kinoleaf::QtDialogs dialogs;
    kinoleaf::setDialogs(&dialogs);
    kinoleaf::PicMovieWnd window;
    window.show();
    const int rc = app.exec();
    kinoleaf::setDialogs(nullptr);
    return rc;
}
