#pragma once
// The selection result stored as a copy: the kept pages' images copied
// from the movie into another folder.

#include "platform/file_helpers.h"

#include <QStringList>

#include <functional>

namespace kinoleaf::selection {

struct CopyResult {
    int stored = 0;           // kept rows whose image is there
    QStringList storedNames;  // each image copied, once
    QStringList failed;       // "name：reason", in row order
    QString syncError;        // why the copies could not be confirmed on disk
    QList<WrittenFile> written;
};

// Copies each kept row's image (an image two rows show, once), replacing a
// file of its name, then syncs the copies to disk once. progress is told
// (row, rows) before each row.
CopyResult copyKeptImages(const QStringList& kept, const QString& movieFolder, const QString& folder,
                          const std::function<void(int done, int total)>& progress = {});

} // namespace kinoleaf::selection
