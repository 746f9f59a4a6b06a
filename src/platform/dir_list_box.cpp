#include "platform/dir_list_box.h"

#include "platform/file_helpers.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

namespace kinoleaf {
namespace {

constexpr int kIndentStep = 12;  // pixels per folder level

// Shifts each row right by its level, which QListWidget can't do itself.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(shifted.rect.left() + indentOf(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(index), 0);
    }

private:
    static int indentOf(const QModelIndex& index) {
        return index.data(DirListBox::LevelRole).toInt() * kIndentStep;
    }
};

bool isAtOrBelow(const QString& path, const QString& root) {
    if (path == root) return true;
    if (root.endsWith(u'/')) return path.startsWith(root);
    return path.startsWith(root + u'/');
}

// Existing, and its entries can be listed and opened.
bool isListableFolder(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo fi(path);
    if (!fi.isDir() || !fi.isReadable()) return false;
#ifdef Q_OS_UNIX
    // Without search rights the names show but nothing inside opens.
    if (!fi.isExecutable()) return false;
#endif
    return true;
}

QString childPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent), m_source(mountedVolumes) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openRow(row(item)); });
    for (const QString& start : {QDir::currentPath(), QDir::homePath(), QDir::rootPath()})
        if (setPath(start, false)) break;
}

QString DirListBox::path() const { return m_path; }

bool DirListBox::setPath(const QString& path, bool notify) {
    if (path.isEmpty()) return false;
    const QString absolute =
        QDir::isAbsolutePath(path) || m_path.isEmpty() ? path : QDir(m_path).filePath(path);
    if (!isListableFolder(absolute)) return false;
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    if (canonical.isEmpty()) return false;
    if (canonical == m_path) return true;
    m_path = canonical;
    m_lastByVolume.insert(volumeRootOf(m_path), m_path);
    relist();
    if (notify) emit Change();
    return true;
}

QString DirListBox::currentFolderOn(const QString& volumeRoot) const {
    const QString root = QDir::cleanPath(volumeRoot);
    QString folder = m_lastByVolume.value(root);
    if (folder.isEmpty() || !isAtOrBelow(folder, root)) return root;
    // The folder may have gone since: its nearest surviving parent is where
    // the user would expect to land.
    while (folder != root && !isListableFolder(folder)) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder) break;
        folder = parent;
    }
    return isAtOrBelow(folder, root) ? folder : root;
}

void DirListBox::refresh() { relist(); }

void DirListBox::relist() {
    m_listing = m_path.isEmpty() ? FolderListing{} : listFolder(m_path);
    rebuildRows();
}

void DirListBox::setVolumeSource(VolumeSource source) {
    m_source = std::move(source);
    m_lastByVolume.clear();
    if (!m_path.isEmpty()) m_lastByVolume.insert(volumeRootOf(m_path), m_path);
    rebuildRows();
}

QString DirListBox::volumeRootOf(const QString& path) const {
    const QString root = volumeOf(path, m_source());
    // Outside every known volume (only with a partial test source): the
    // file-system root still gives a full chain.
    return root.isEmpty() ? QDir::rootPath() : root;
}

void DirListBox::rebuildRows() {
    // Clearing and refilling moves Qt's current row; nobody outside should
    // take that for a user's choice.
    const QSignalBlocker quiet(this);
    clear();
    m_currentRow = -1;
    if (m_path.isEmpty()) return;

    const QString root = volumeRootOf(m_path);
    QStringList chain{root};
    const QStringList below = m_path.mid(root.size()).split(u'/', Qt::SkipEmptyParts);
    for (const QString& name : below) chain.append(childPath(chain.last(), name));

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto addRow = [this](const QIcon& icon, const QString& text, const QString& full, int level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(PathRole, full);
        item->setData(LevelRole, level);
        item->setToolTip(full);
    };
    for (int level = 0; level < chain.size(); ++level)
        addRow(openIcon, level == 0 ? root : below[level - 1], chain[level], level);
    m_currentRow = int(chain.size()) - 1;

    // Legacy-named folders take their place among the others by the name
    // the user reads.
    const int level = int(chain.size());
    const QStringList& subfolders = m_listing.subfolders;
    qsizetype next = 0;
    auto addSubfoldersBefore = [&](const QString* name) {
        for (; next < subfolders.size() && (!name || !naturalLess(*name, subfolders[next])); ++next)
            addRow(closedIcon, subfolders[next], childPath(m_path, subfolders[next]), level);
    };
    QFont italic;  // only the slant: the rest follows the list's own font
    italic.setItalic(true);
    for (const LegacyName& legacy : m_listing.legacy) {
        if (!legacy.isFolder) continue;
        addSubfoldersBefore(&legacy.decoded);
        auto* item = new QListWidgetItem(closedIcon, legacy.decoded, this);
        item->setData(LevelRole, level);
        item->setData(RawNameRole, legacy.raw);
        item->setFont(italic);
        item->setToolTip(
            QStringLiteral("名字是 Windows 中文编码（GBK），打开时可以改成正确的名字"));
    }
    addSubfoldersBefore(nullptr);

    setCurrentRow(m_currentRow);
    scrollToItem(item(m_currentRow));
}

void DirListBox::openRow(int row) {
    const QListWidgetItem* entry = item(row);
    if (!entry) return;
    const QByteArray raw = entry->data(RawNameRole).toByteArray();
    if (!raw.isEmpty()) {
        // Copies: the window's handler renames and moves on, which
        // rebuilds the rows and changes m_path under a reference.
        const QString parent = m_path, decoded = entry->text();
        emit legacyFolderActivated(parent, raw, decoded);
        return;
    }
    if (!setPath(entry->data(PathRole).toString(), true)) {
        // Gone or locked since it was listed: show what is there now.
        QApplication::beep();
        relist();
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        openRow(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace kinoleaf
