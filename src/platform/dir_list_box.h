#pragma once
// The folder list: the chain of folders from the volume root down to the
// current folder, then the current folder's subfolders. Opening a row makes
// it current. Like the drive list, it stays quiet while it rebuilds itself:
// only a path change tells the window anything.

#include "platform/volumes.h"

#include <QHash>
#include <QListWidget>

namespace kinoleaf {

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    // Data roles of the rows.
    enum Role { PathRole = Qt::UserRole, LevelRole };

    // Starts at the process's current folder (or home, or the root).
    explicit DirListBox(QWidget* parent = nullptr);

    // Absolute and clean, with links resolved; no trailing separator except
    // for the root "/".
    QString path() const;
    // Makes a folder current. A relative path is taken from the current one.
    // False, changing nothing, when it is not an existing folder that can be
    // listed. A real change emits Change() before returning when notify is
    // set; the same folder again does nothing.
    bool setPath(const QString& path, bool notify = true);

    // The last folder shown on that volume that still opens (walking up
    // when it went away), or the volume root.
    QString currentFolderOn(const QString& volumeRoot) const;

    // Lists the current folder again (after a folder was made or removed).
    void refresh();

    // Replaces where the volumes come from (tests); lists again.
    void setVolumeSource(VolumeSource source);

    // The row of the current folder.
    int currentFolderRow() const { return m_currentRow; }

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openRow(int row);
    void rebuildRows();
    QString volumeRootOf(const QString& path) const;

    VolumeSource m_source;
    QString m_path;
    int m_currentRow = -1;
    QHash<QString, QString> m_lastByVolume;  // volume root -> last folder there
};

} // namespace kinoleaf
