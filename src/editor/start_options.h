#pragma once
// The program's command line and the names it goes by on the desktop.

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace kinoleaf {

// The application id: the desktop entry, icon and metainfo file are named by it.
inline const QString kDesktopId = QStringLiteral("io.github.kinoleaf.Kinoleaf");

struct StartOptions {
    QString folder;            // the movie folder to open; "" for where the last run left
    bool remembering = true;   // false: this run's folder and page are not kept for the next
};

// Sets the application, organisation and desktop names and the version the
// settings and --version use. Needs the application object.
void nameApplication();

// --help and --version, answered before any display is needed (a terminal
// without a graphical session must still get them). Prints and returns
// the exit code when the arguments ask for either; nullopt otherwise.
std::optional<int> answerTerminalOptions(int argc, char** argv);

// The options of a start with a window; on a wrong command line, nullopt
// and *error says what is wrong, in a line for the terminal.
std::optional<StartOptions> startOptions(const QStringList& arguments, QString* error);

} // namespace kinoleaf
