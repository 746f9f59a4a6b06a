#include "overview/OverviewWnd.h"

#include "editor/MovieHistory.h"
#include "editor/PageRowsView.h"
#include "editor/PicMovieWnd.h"
#include "overview/OverviewModel.h"
#include "overview/thumbnail_provider.h"
#include "pages/batch_delete.h"
#include "pages/deleted_images.h"
#include "pages/group_move.h"
#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kinoleaf {

// ---------------------------------------------------------------- the window

OverviewWnd::OverviewWnd(PicMovieWnd* wnd) : ToolWnd(wnd, false), m_wnd(wnd) {
    setObjectName(QStringLiteral("OverviewWnd"));
    setWindowTitle(QStringLiteral("总览"));
    m_thumbs = new ThumbnailProvider(this);
    m_model = new OverviewModel(m_thumbs, [wnd] { return wnd->rootFilePath; }, this);
    m_model->setSourceModel(wnd->ListMoviePics->model());
    m_view = new OverviewView(this);
    m_view->setObjectName(QStringLiteral("ListOverview"));
    m_delegate = new OverviewDelegate(m_view);
    m_view->setItemDelegate(m_delegate);
    m_view->setModel(m_model);
    m_view->installEventFilter(this);

    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("LabelOverviewCount"));
    m_zoom = new QSlider(Qt::Horizontal, this);
    m_zoom->setObjectName(QStringLiteral("SliderThumbSize"));
    m_zoom->setRange(kMinSide, kMaxSide);
    m_zoom->setSingleStep(16);
    m_zoom->setPageStep(32);
    m_zoom->setValue(128);
    m_zoom->setFixedWidth(160);
    m_zoom->setToolTip(QStringLiteral("缩略图大小（Ctrl+滚轮）"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_counts, 1);
    bottom->addWidget(new QLabel(QStringLiteral("大小"), this));
    bottom->addWidget(m_zoom);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    resize(900, 640);

    setThumbSide(128);
    connect(m_zoom, &QSlider::valueChanged, this, &OverviewWnd::setThumbSide);
    connect(m_view, &OverviewView::zoomRequested, this,
            [this](int steps) { m_zoom->setValue(m_zoom->value() + steps * 16); });
    connect(m_view, &OverviewView::pageChosen, this, &OverviewWnd::choosePage);
    connect(m_view, &QAbstractItemView::activated, this, [this](const QModelIndex& i) { choosePage(i.row()); });
    connect(m_view, &OverviewView::moveRequested, this, &OverviewWnd::moveSelectedAfter);
    connect(wnd->ListMoviePics, &PageRowsView::currentRowChanged, this, &OverviewWnd::onMainRowChanged);
    connect(m_thumbs, &ThumbnailProvider::ready, m_view->viewport(), qOverload<>(&QWidget::update));
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &OverviewWnd::scheduleRequests);
    // Each change of the rows reaches the view as itself; the thumbnails
    // wanted are asked for again (a renamed image is a new picture).
    const auto rowsChanged = [this] {
        scheduleRequests();
        showCounts();
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &OverviewWnd::scheduleRequests);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_delegate->currentRow = m_wnd->selectedRow(); });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &OverviewWnd::showCounts);
    m_delegate->currentRow = wnd->selectedRow();
    showCounts();
}

OverviewWnd::~OverviewWnd() = default;

void OverviewWnd::Form_Load() {
    onMainRowChanged(m_wnd->selectedRow());
    scheduleRequests();
}

bool OverviewWnd::Form_Unload() {
    m_thumbs->request({});  // nothing on view any more
    return true;
}

int OverviewWnd::thumbSide() const { return m_delegate->side; }

void OverviewWnd::setThumbSide(int side) {
    side = std::clamp(side, kMinSide, kMaxSide);
    m_delegate->setSide(side);
    m_thumbs->setSide(side);
    QStyleOptionViewItem option;
    option.fontMetrics = m_view->fontMetrics();
    const QSize hint = m_delegate->sizeHint(option, {});
    m_view->setGridSize(hint + QSize(4, 4));
    if (m_zoom->value() != side) m_zoom->setValue(side);
    // The same tile stays in view.
    if (m_view->currentIndex().isValid()) m_view->scrollTo(m_view->currentIndex());
    scheduleRequests();
}

QList<int> OverviewWnd::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& i : m_view->selectionModel()->selectedIndexes()) rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void OverviewWnd::choosePage(int row) {
    if (row < 0 || row >= m_wnd->rowCount() || row == m_wnd->selectedRow()) {
        m_delegate->currentRow = m_wnd->selectedRow();
        return;
    }
    m_choosing = true;
    m_wnd->setSelectedRow(row);
    m_choosing = false;
}

void OverviewWnd::onMainRowChanged(int row) {
    m_delegate->currentRow = row;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex at = m_model->index(row, 0);
        // Our own click keeps the selection it made (Ctrl/Shift ones too).
        if (!m_choosing) m_view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        if (isVisible()) m_view->scrollTo(at);
    }
    m_view->viewport()->update();
}

void OverviewWnd::scheduleRequests() {
    if (m_requestPending) return;
    m_requestPending = true;
    // After the layout has caught up with the change.
    QTimer::singleShot(0, this, [this] {
        m_requestPending = false;
        requestVisible();
    });
}

void OverviewWnd::requestVisible() {
    if (!isVisible()) return;
    const auto [first, last] = m_view->visibleRows();
    if (first < 0) {
        m_thumbs->request({});
        return;
    }
    const int count = m_model->rowCount();
    const int screen = last - first + 1;
    QStringList paths;
    paths.reserve(screen * 3);
    for (int r = first; r <= last; ++r) paths.append(m_model->imagePath(r));
    // Then the next screen, then the one before: where scrolling goes next.
    for (int r = last + 1; r < std::min(count, last + 1 + screen); ++r) paths.append(m_model->imagePath(r));
    for (int r = first - 1; r >= std::max(0, first - screen); --r) paths.append(m_model->imagePath(r));
    m_thumbs->request(paths);
}

void OverviewWnd::showCounts() {
    const int selected = int(m_view->selectionModel()->selectedIndexes().size());
    QString text = QStringLiteral("共 %1 页").arg(m_model->rowCount());
    if (selected > 1) text += QStringLiteral("，已选 %1 页（Delete 删除，拖动可移动）").arg(selected);
    m_counts->setText(text);
}

void OverviewWnd::deleteSelected() {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty() || m_wnd->rootFilePath.isEmpty()) return;
    const QStringList after = pages::rowsWithout(m_wnd->rows(), selected);
    pages::DeletionReport report;
    if (!m_wnd->removePagesKeeping(QStringLiteral("删除此页"), QStringLiteral("删除 %1 页").arg(selected.size()),
                                   after, [](int, int) {}, report))
        return;  // the folder refused; nothing changed
    m_wnd->MarkUnsaved();
    // The page after the first one gone takes its place, as 删除此页 does.
    if (!after.isEmpty()) m_wnd->setSelectedRow(std::min(selected.first(), int(after.size()) - 1));
    if (!report.notMoved().isEmpty()) dialogs().message(report.message(), MsgIcon::Exclamation);
}

bool OverviewWnd::moveSelectedAfter(int chosen) {
    const QList<int> selected = selectedRows();
    if (selected.isEmpty()) return false;
    const QStringList before = m_wnd->rows();
    const std::optional<pages::GroupMove> moved = pages::moveGroup(before, selected, chosen);
    if (!moved || moved->rows == before) return false;
    m_wnd->history()->replaceRowsRecorded(QStringLiteral("移动 %1 页").arg(selected.size()), moved->rows);
    m_wnd->MarkUnsaved();
    m_wnd->setSelectedRow(moved->first);
    // The moved group stays selected, ready for the next move.
    QItemSelection group(m_model->index(moved->first, 0), m_model->index(moved->first + int(selected.size()) - 1, 0));
    m_view->selectionModel()->select(group, QItemSelectionModel::ClearAndSelect);
    m_view->selectionModel()->setCurrentIndex(m_model->index(moved->first, 0), QItemSelectionModel::NoUpdate);
    return true;
}

void OverviewWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    ToolWnd::keyPressEvent(event);
}

bool OverviewWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            deleteSelected();
            return true;
        }
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier)) {
            close();
            return true;
        }
    }
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) scheduleRequests();
    return ToolWnd::eventFilter(watched, event);
}

} // namespace kinoleaf
