#pragma once
// The folder list: the chain of folders from the volume root down to the
// current folder, then the current folder's subfolders. Opening a row makes
// it current. Like the drive list, it stays quiet while it rebuilds itself:
// only a path change, or opening a legacy-named folder, tells the window
// anything.
//
// Subfolders named in the Windows Chinese code page show by their decoded
// name, set apart; no path reaches them, so opening one asks the window to
// rename it first.

#include "platform/file_helpers.h"
#include "platform/volumes.h"

#include <QHash>
#include <QListWidget>

namespace kinoleaf {

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    // Data roles of the rows. Legacy-named rows have no PathRole but their
    // name's bytes in RawNameRole.
    enum Role { PathRole = Qt::UserRole, LevelRole, RawNameRole };

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

    // The listing the rows were built from: the current folder as it was
    // when it became current or was last refreshed. A folder load uses it
    // rather than reading the folder a second time.
    const FolderListing& listing() const { return m_listing; }

    // Replaces where the volumes come from (tests); shows the chain again
    // (the folder isn't read again).
    void setVolumeSource(VolumeSource source);

    // The row of the current folder.
    int currentFolderRow() const { return m_currentRow; }

signals:
    void Change();
    // A legacy-named subfolder of parentFolder was opened; the list stays
    // where it is.
    void legacyFolderActivated(const QString& parentFolder, const QByteArray& rawName,
                               const QString& decodedName);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openRow(int row);
    // Reads the current folder, then shows it.
    void relist();
    // Rows from the kept listing.
    void rebuildRows();
    QString volumeRootOf(const QString& path) const;

    VolumeSource m_source;
    QString m_path;
    int m_currentRow = -1;
    FolderListing m_listing;  // of m_path
    QHash<QString, QString> m_lastByVolume;  // volume root -> last folder there
};

} // namespace kinoleaf
