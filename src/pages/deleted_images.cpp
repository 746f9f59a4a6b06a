#include "pages/deleted_images.h"

#include "platform/date_text.h"
#include "platform/file_helpers.h"

#include <QDir>

namespace kinoleaf::pages {

bool moveToDeletedImages(const QString& folder, const QString& name) {
    // No folder loaded, or a name that leads out of the folder (a script
    // row is only text): nothing of the user's is moved.
    if (folder.isEmpty() || !isPlainFileName(name)) return false;
    // The image first: deleting many pages whose images are gone then costs
    // one look each.
    const QString source = joinPath(folder, name);
    if (!plainFileExists(source)) return false;
    const QString bin = joinPath(folder, kDeletedImagesFolder);
    if (!folderExists(bin) && !QDir().mkdir(bin)) return false;
    QString target = joinPath(bin, name);
    if (plainFileExists(target)) target = joinPath(bin, fileNameDateText(today()) + u'_' + name);
    return moveFileNoReplace(source, target);
}

} // namespace kinoleaf::pages
