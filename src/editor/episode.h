#pragma once
// An episode: chosen pages of a movie copied, with a script of their rows,
// into a folder of its own.

#include <QString>
#include <QStringList>

#include "platform/file_helpers.h"

#include <functional>

namespace kinoleaf::episode {

struct Failure {
    QString imageName;
    QString reason;  // in Chinese
};

struct Result {
    bool scriptWritten = false;
    QString scriptError;     // why the script could not be written
    int pages = 0;           // the rows given, pages without an image name included
    QList<Failure> failed;   // images that could not be copied
    QString syncError;       // why what was written could not be put on disk
    QList<WrittenFile> written;  // the copies and the script, as written
};

// Copies each row's image from the movie folder into the target folder,
// replacing files of the same names, and writes the target's script with
// the rows, in order. Rows without an image name are neither copied nor
// written. An image that can't be copied is reported and its row still
// written: the intro is the user's work, the picture can follow. progress
// is told (page, pages) before each page. The copies are synced to disk once,
// after the script, so a result without a syncError is on disk.
Result generate(const QStringList& rows, const QString& movieFolder, const QString& targetFolder,
                const std::function<void(int done, int total)>& progress = {});

// The images that could not be copied, with their reasons. Their intros
// are said to be in the episode's script only when it was written.
QString failureReport(const Result& result);

// Whether two paths name the same folder (links and "." resolved).
bool sameFolder(const QString& a, const QString& b);

} // namespace kinoleaf::episode
