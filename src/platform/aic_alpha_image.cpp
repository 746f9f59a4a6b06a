#include "platform/aic_alpha_image.h"

#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace kinoleaf {

aicAlphaImage::aicAlphaImage(QWidget* parent, std::shared_ptr<PreviewCache> cache)
    : QWidget(parent),
      loader_(std::make_unique<PreviewLoader>(
          std::move(cache), this,
          [this](const QString& path, QSize target, const PreviewResult& result) {
              onReady(path, target, result);
          })) {}

// The loader goes first, before QObject's destructor discards events posted
// to this box, so no result can be posted to a box being destroyed.
aicAlphaImage::~aicAlphaImage() {
    loader_.reset();
}

QSize aicAlphaImage::previewTarget() const {
    const qreal dpr = devicePixelRatioF();
    const QSize logical = contentsRect().size();
    return QSize(int(std::lround(logical.width() * dpr)), int(std::lround(logical.height() * dpr)))
        .expandedTo(QSize(1, 1));
}

bool aicAlphaImage::LoadImage_FromFile(const QString& path) {
    pendingPath_.clear();
    dropQuickPreview();
    const QSize target = previewTarget();
    const PreviewResult result = loader_->load(path, target);
    if (!result.ok()) {
        lastError_ = result.error;
        return false;
    }
    lastError_.clear();
    adopt(path, target, result);
    return true;
}

aicAlphaImage::ShowState aicAlphaImage::showImage(const QString& path) {
    pendingPath_.clear();
    const QSize target = previewTarget();
    const std::optional<PreviewResult> now = loader_->show(path, target);
    if (!now) {
        pendingPath_ = path;
        pendingTarget_ = target;
        showQuickPreview(path);
        return ShowState::Pending;
    }
    dropQuickPreview();
    if (!now->ok()) {
        lastError_ = now->error;
        return ShowState::Failed;
    }
    lastError_.clear();
    adopt(path, target, *now);
    return ShowState::Shown;
}

void aicAlphaImage::cancelPending() {
    if (pendingPath_.isEmpty()) return;
    pendingPath_.clear();
    loader_->cancelShow();
    dropQuickPreview();
}

void aicAlphaImage::prefetch(const QStringList& paths) {
    loader_->prefetch(paths, previewTarget());
}

void aicAlphaImage::adopt(const QString& path, QSize target, const PreviewResult& result) {
    path_ = path;
    previewTarget_ = target;
    preview_ = result.image;
    incomplete_ = result.incomplete;
    update();
}

void aicAlphaImage::requestPending(QSize target) {
    pendingTarget_ = target;
    if (const std::optional<PreviewResult> now = loader_->show(pendingPath_, target))
        finishPending(pendingPath_, target, *now);
}

void aicAlphaImage::finishPending(const QString& path, QSize target, const PreviewResult& result) {
    pendingPath_.clear();
    dropQuickPreview();
    if (!result.ok()) {
        lastError_ = result.error;
        emit imageFailed(path, result.error);
        return;
    }
    lastError_.clear();
    adopt(path, target, result);
    emit imageShown(path);
}

void aicAlphaImage::showQuickPreview(const QString& path) {
    const QSize target = previewTarget();
    const int minSide = std::min({256, target.width(), target.height()});
    QImage quick = readQuickPreview(path, thumbnailSource_, minSide);
    // None: what is on screen stays, as for a page without one before.
    if (quick.isNull()) return;
    quick_ = std::move(quick);
    quickPath_ = path;
    update();
    emit quickPreviewShown(path);
}

void aicAlphaImage::dropQuickPreview() {
    if (quickPath_.isEmpty()) return;
    quick_ = QImage();
    quickPath_.clear();
    update();
}

void aicAlphaImage::paintEvent(QPaintEvent*) {
    const QRect area = contentsRect();
    if (!quick_.isNull()) {
        // Scaled up to the size the full picture will have.
        const QSize shown = fitSize(quick_.size(), area.size());
        const QPoint topLeft(area.x() + (area.width() - shown.width()) / 2,
                             area.y() + (area.height() - shown.height()) / 2);
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(topLeft, shown), quick_);
        return;
    }
    if (preview_.isNull()) return;
    const qreal dpr = devicePixelRatioF();
    // Until a resize's new preview arrives, the old one is stretched to fit.
    QSizeF shown = QSizeF(preview_.size()) / dpr;
    if (previewTarget_ != previewTarget()) shown = QSizeF(fitSize(preview_.size(), area.size()));
    const QPointF topLeft(area.x() + std::floor((area.width() - shown.width()) / 2),
                          area.y() + std::floor((area.height() - shown.height()) / 2));
    QPainter painter(this);
    painter.drawImage(QRectF(topLeft, shown), preview_);
}

void aicAlphaImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize target = previewTarget();
    if (!pendingPath_.isEmpty()) {
        // The picture on its way is wanted at the new size instead.
        if (target != pendingTarget_) requestPending(target);
        return;
    }
    if (path_.isEmpty() || target == previewTarget_) return;
    // A refit of the picture on screen; the old preview stays stretched
    // until it arrives, and stays if it fails.
    if (const std::optional<PreviewResult> now = loader_->show(path_, target); now && now->ok())
        adopt(path_, target, *now);
}

void aicAlphaImage::onReady(const QString& path, QSize target, const PreviewResult& result) {
    // The loader reports only the latest request; the checks guard against a
    // size that changed without a new request.
    if (!pendingPath_.isEmpty()) {
        if (path == pendingPath_ && target == pendingTarget_) finishPending(path, target, result);
        return;
    }
    if (result.ok() && path == path_ && target == previewTarget()) adopt(path, target, result);
}

} // namespace kinoleaf
