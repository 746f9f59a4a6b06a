#include "platform/aic_alpha_image.h"

#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

#include <cmath>

namespace kinoleaf {

aicAlphaImage::aicAlphaImage(QWidget* parent, std::shared_ptr<PreviewCache> cache)
    : QWidget(parent),
      loader_(std::make_unique<PreviewLoader>(
          std::move(cache), this,
          [this](const QString& path, QSize target, const PreviewResult& result) {
              onRefitReady(path, target, result);
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
    const QSize target = previewTarget();
    const PreviewResult result = loader_->load(path, target);
    if (!result.ok()) {
        lastError_ = result.error;
        return false;
    }
    lastError_.clear();
    adopt(path, target, result.image);
    return true;
}

void aicAlphaImage::prefetch(const QStringList& paths) {
    loader_->prefetch(paths, previewTarget());
}

void aicAlphaImage::adopt(const QString& path, QSize target, const QImage& preview) {
    path_ = path;
    previewTarget_ = target;
    preview_ = preview;
    update();
}

void aicAlphaImage::paintEvent(QPaintEvent*) {
    if (preview_.isNull()) return;
    const qreal dpr = devicePixelRatioF();
    const QRect area = contentsRect();
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
    if (path_.isEmpty() || target == previewTarget_) return;
    if (const std::optional<QImage> hit = loader_->cached(path_, target)) {
        adopt(path_, target, *hit);
        return;
    }
    loader_->requestRefit(path_, target);
}

void aicAlphaImage::onRefitReady(const QString& path, QSize target, const PreviewResult& result) {
    // A refit for a picture or size that is no longer current is dropped; a
    // failed one leaves the stretched old preview.
    if (!result.ok() || path != path_ || target != previewTarget()) return;
    adopt(path, target, result.image);
}

} // namespace kinoleaf
