#pragma once
// Deleted images are never erased: they move into the movie folder's
// "delete_image" folder, where the user can take them back.

#include <QString>

namespace kinoleaf::pages {

inline const QString kDeletedImagesFolder = QStringLiteral("delete_image");

// Moves folder/name into folder/delete_image, made when missing. A name
// taken there already gets today's date in front ("2026-12-08_a.jpg"); when
// that is taken too, or anything else fails, the image stays where it was.
// Never replaces a file. False when nothing was moved.
bool moveToDeletedImages(const QString& folder, const QString& name);

} // namespace kinoleaf::pages
