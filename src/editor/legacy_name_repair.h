#pragma once
// Offering to give files and folders named on Chinese Windows (GBK bytes,
// unreadable here) their proper names. One question, then a report of any
// that could not be renamed; nothing is ever replaced.

#include "platform/file_helpers.h"

#include <QString>

namespace kinoleaf {

// Asks about the folder's legacy-named entries and renames them on Yes.
// Returns how many were renamed (0 after No).
int offerLegacyRename(const QString& folder, const QList<LegacyName>& names);

// Asks about one legacy-named folder that was opened; on Yes renames it.
// Returns its new path, or "" when it keeps its name.
QString offerLegacyFolderRename(const QString& parentFolder, const QByteArray& rawName,
                                const QString& decodedName);

} // namespace kinoleaf
