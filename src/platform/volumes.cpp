#include "platform/volumes.h"

#include "platform/file_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace kinoleaf {
namespace {

// Kernel and memory file systems: they hold no user files worth opening.
const QSet<QByteArray>& pseudoFileSystems() {
    static const QSet<QByteArray> types{
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "rootfs", "cgroup", "cgroup2",
        "mqueue", "hugetlbfs", "debugfs", "tracefs", "securityfs", "pstore", "bpf", "configfs",
        "fusectl", "binfmt_misc", "autofs", "rpc_pipefs", "nfsd", "nsfs", "efivarfs", "selinuxfs",
        "overlay", "squashfs", "none", "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",
        "fuse.snapfuse"};
    return types;
}

bool isAtOrBelow(const QString& path, const QString& root) {
    if (path == root) return true;
    if (root.endsWith(u'/')) return path.startsWith(root);
    return path.startsWith(root + u'/');
}

QString canonicalOrClean(const QString& path) {
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
}

} // namespace

bool isUserVolume(const QString& root, const QByteArray& fsType, const QByteArray& device) {
    if (root.isEmpty()) return false;
    // The system root is always a drive, whatever it is mounted from
    // (containers run it on overlay).
    if (root == QDir::rootPath()) return true;
    if (pseudoFileSystems().contains(fsType)) return false;
    if (device.isEmpty()) return false;
    // Mounts under system trees are plumbing, except where desktops mount
    // removable media (/run/media/<user>/...).
    static const QStringList systemTrees{"/proc", "/sys", "/dev", "/run", "/snap",
                                         "/var/lib/docker", "/var/snap"};
    if (isAtOrBelow(root, "/run/media") && root != "/run/media") return true;
    return std::none_of(systemTrees.begin(), systemTrees.end(),
                        [&](const QString& tree) { return isAtOrBelow(root, tree); });
}

QList<Volume> mountedVolumes() {
    const QString systemRoot = QDir::rootPath();
    QList<Volume> others;
    QSet<QString> roots{systemRoot};
    QSet<QByteArray> devices;
    QString systemLabel;
    const QList<QStorageInfo> all = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& info : all) {
        if (QDir::cleanPath(info.rootPath()) == systemRoot) {
            systemLabel = info.name();
            if (!info.device().isEmpty()) devices.insert(info.device());
        }
    }
    for (const QStorageInfo& info : all) {
        if (!info.isValid() || !info.isReady()) continue;
        const QString root = QDir::cleanPath(info.rootPath());
        if (roots.contains(root)) continue;
        if (!isUserVolume(root, info.fileSystemType(), info.device())) continue;
        // Bind mounts repeat a device already listed, and some bind single
        // files (container /etc/hosts): neither is a drive of its own.
        if (devices.contains(info.device())) continue;
        if (!QFileInfo(root).isDir()) continue;
        roots.insert(root);
        devices.insert(info.device());
        others.append({root, info.name()});
    }
    std::sort(others.begin(), others.end(),
              [](const Volume& a, const Volume& b) { return naturalLess(a.root, b.root); });
    others.prepend({systemRoot, systemLabel});
    return others;
}

QString volumeOf(const QString& path, const QList<Volume>& volumes) {
    if (path.isEmpty()) return {};
    const QString full = canonicalOrClean(path);
    QString best;
    for (const Volume& v : volumes) {
        if (v.root.size() > best.size() && isAtOrBelow(full, v.root)) best = v.root;
    }
    return best;
}

QString volumeOf(const QString& path) { return volumeOf(path, mountedVolumes()); }

} // namespace kinoleaf
