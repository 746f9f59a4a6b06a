#pragma once
// The drive list: one entry per mounted volume. It tells the window only
// about the user's own picks, so the window can set it back freely.

#include "platform/volumes.h"

#include <QComboBox>

namespace kinoleaf {

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // Root path of the shown entry ("" while the list is empty).
    QString drive() const;
    // Shows the volume that holds the path; emits nothing. False when no
    // volume holds it, and the list keeps what it showed.
    bool setDrive(const QString& pathOnVolume);
    // Reads the volumes again, keeping the shown drive when it is still there.
    void refresh();

    // Replaces where the volumes come from (tests); refreshes.
    void setVolumeSource(VolumeSource source);

    // Entry text, e.g. "/  (root)" or "/media/usb  [LABEL]".
    static QString entryText(const Volume& volume);

signals:
    // The user picked a different entry; drive() already tells the new one.
    void Change();

private:
    void onActivated(int index);
    int indexOfRoot(const QString& root) const;

    VolumeSource m_source;
    QList<Volume> m_volumes;
    QString m_shown;  // the drive before the user's latest pick
};

} // namespace kinoleaf
