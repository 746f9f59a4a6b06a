#include "platform/drive_list_box.h"

#include <QDir>
#include <QSignalBlocker>

namespace kinoleaf {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent), m_source(mountedVolumes) {
    // activated, not currentIndexChanged: only the user's picks count.
    connect(this, &QComboBox::activated, this, &DriveListBox::onActivated);
    refresh();
    setDrive(QDir::currentPath());
}

QString DriveListBox::entryText(const Volume& volume) {
    if (volume.root == QDir::rootPath()) return volume.root + QStringLiteral("  (root)");
    if (volume.label.isEmpty()) return volume.root;
    return volume.root + QStringLiteral("  [") + volume.label + u']';
}

QString DriveListBox::drive() const {
    const int i = currentIndex();
    return i >= 0 ? itemData(i).toString() : QString();
}

bool DriveListBox::setDrive(const QString& pathOnVolume) {
    const QString root = volumeOf(pathOnVolume, m_source());
    if (root.isEmpty()) return false;
    int i = indexOfRoot(root);
    if (i < 0) {
        // A volume mounted since the list was filled: read it again once.
        refresh();
        i = indexOfRoot(root);
        if (i < 0) return false;
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(i);
    m_shown = root;
    return true;
}

void DriveListBox::refresh() {
    const QString keep = drive();
    m_volumes = m_source();
    const QSignalBlocker quiet(this);
    clear();
    for (const Volume& v : m_volumes) addItem(entryText(v), v.root);
    int i = indexOfRoot(keep);
    if (i < 0 && !m_volumes.isEmpty()) i = 0;
    setCurrentIndex(i);
    m_shown = drive();
}

void DriveListBox::setVolumeSource(VolumeSource source) {
    m_source = std::move(source);
    refresh();
}

int DriveListBox::indexOfRoot(const QString& root) const {
    if (root.isEmpty()) return -1;
    for (int i = 0; i < m_volumes.size(); ++i)
        if (m_volumes[i].root == root) return i;
    return -1;
}

void DriveListBox::onActivated(int index) {
    const QString picked = itemData(index).toString();
    if (picked == m_shown) return;
    m_shown = picked;
    emit Change();
}

} // namespace kinoleaf
