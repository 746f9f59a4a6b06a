#pragma once
// Mounted volumes: the "drives" of the drive list. On Linux the root file
// system comes first, then the real file systems mounted below it; pseudo
// and memory file systems are left out because no movie lives there.

#include <QList>
#include <QString>

#include <functional>

namespace kinoleaf {

struct Volume {
    QString root;   // mount point, clean, no trailing separator except "/"
    QString label;  // file-system label, may be empty
};

// "/" first, then the other user-visible volumes in natural order of root.
QList<Volume> mountedVolumes();

// Where the lists get their volumes; tests hand in a fixed set.
using VolumeSource = std::function<QList<Volume>()>;

// The root of the volume holding path: the longest volume root that is a
// prefix of the canonical path at a folder boundary. "" for "" or when no
// root matches. Paths that don't exist are cleaned instead of canonicalised.
QString volumeOf(const QString& path);
QString volumeOf(const QString& path, const QList<Volume>& volumes);

// Whether a mount entry is a volume a user would pick. Pure, so the
// filtering rules can be checked without real mounts.
bool isUserVolume(const QString& root, const QByteArray& fsType, const QByteArray& device);

} // namespace kinoleaf
