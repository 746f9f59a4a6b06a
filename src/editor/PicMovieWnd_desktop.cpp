// The main window on the desktop: a folder from the command line or a drop,
// the state a run leaves for the next, and names for screen readers.

#include "editor/PicMovieWnd.h"

#include "editor/IntroTextBox.h"
#include "editor/readable_controls.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace kinoleaf {
namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kFolderKey = QStringLiteral("movie/folder");
const QString kPageKey = QStringLiteral("movie/page");

// The folder a drop stands for: a folder itself, or the folder a dropped
// file lies in (an image or the script of a movie). "" when nothing local.
QString droppedFolder(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) return info.absoluteFilePath();
        if (info.isFile()) return info.absolutePath();
    }
    return {};
}

// Takes the drops of folders wherever they land on the window: the intro
// box would otherwise paste the path as text.
class FolderDrops : public QObject {
public:
    explicit FolderDrops(PicMovieWnd* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedFolder(drag->mimeData()).isEmpty()) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString folder = droppedFolder(drop->mimeData());
            if (folder.isEmpty()) return false;
            drop->acceptProposedAction();
            // Its questions wait until the drag has ended: the source
            // application is still waiting for the drop's answer.
            QTimer::singleShot(0, m_window, [window = m_window, folder] { window->openFolder(folder); });
            return true;
        }
        default:
            return false;
        }
    }

private:
    PicMovieWnd* m_window;
};

} // namespace

void PicMovieWnd::prepareForDesktop() {
    setAcceptDrops(true);
    auto* drops = new FolderDrops(this);
    installEventFilter(drops);
    for (QWidget* w : findChildren<QWidget*>())
        if (w->acceptDrops()) w->installEventFilter(drops);
    // A drop on a text box lands on its viewport.
    TxtMovieIntro->viewport()->installEventFilter(drops);
    makeReadable(this);
}

bool PicMovieWnd::openFolder(const QString& path) {
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists()) {
        dialogs().message(QStringLiteral("O_O 找不到文件夹\n[%1]").arg(shown), MsgIcon::Exclamation);
        return false;
    }
    if (!info.isDir()) {
        dialogs().message(QStringLiteral("O_O 这不是文件夹，无法作为影片打开\n[%1]").arg(shown), MsgIcon::Exclamation);
        return false;
    }
    const QString folder = info.canonicalFilePath();
    if (!rootFilePath.isEmpty() && folder == rootFilePath) return true;
    if (FilePathList->path() == folder) {
        // The folder list already stands there (the program started in it):
        // setting it again would tell nobody.
        FilePathList_Change();
    } else if (!FilePathList->setPath(folder)) {
        dialogs().message(QStringLiteral("O_O 文件夹无法读取咧\n[%1]").arg(shown), MsgIcon::Exclamation);
        return false;
    }
    DriveSelect->setDrive(FilePathList->path());
    return rootFilePath == folder;
}

void PicMovieWnd::restoreWindowGeometry(const QSettings& settings) {
    const QByteArray geometry = settings.value(kGeometryKey).toByteArray();
    if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void PicMovieWnd::openAtStart(const QSettings& settings, const QString& folder) {
    const QString last = settings.value(kFolderKey).toString();
    QString target = folder;
    if (target.isEmpty()) {
        // Gone since, or never: start as a first run does, without a word.
        if (last.isEmpty() || !QFileInfo(last).isDir()) return;
        target = last;
    }
    if (!openFolder(target) || rootFilePath != QFileInfo(last).canonicalFilePath()) return;
    // Back at the page shown last, as far as the movie still reaches.
    const int page = settings.value(kPageKey, 0).toInt();
    if (rowCount() == 0 || page <= 0) return;
    const bool edited = editedThisMovie;  // rows a killed editor left, taken back
    setSelectedRow(std::clamp(page, 0, rowCount() - 1));
    // Filling the intro box marks a change; part of the opening, as the
    // load's own first page is.
    if (!edited) {
        editedThisMovie = false;
        setWindowTitle(m_baseTitle);
    }
}

void PicMovieWnd::rememberState(QSettings& settings, bool withMovie) const {
    settings.setValue(kGeometryKey, saveGeometry());
    if (!withMovie) return;
    if (rootFilePath.isEmpty()) {
        settings.remove(kFolderKey);
        settings.remove(kPageKey);
    } else {
        settings.setValue(kFolderKey, rootFilePath);
        settings.setValue(kPageKey, std::max(0, selectedRow()));
    }
}

} // namespace kinoleaf
