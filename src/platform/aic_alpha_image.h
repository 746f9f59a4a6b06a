#pragma once
// The picture box of every window: shows one image file scaled to fit,
// centred, aspect kept. Decoding happens at the shown size, previews are
// cached, and the pages likely to come next can be decoded in advance.

#include "platform/image_loader.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace kinoleaf {

class aicAlphaImage : public QWidget {
    Q_OBJECT
public:
    explicit aicAlphaImage(QWidget* parent = nullptr,
                           std::shared_ptr<PreviewCache> cache = PreviewCache::shared());
    ~aicAlphaImage() override;

    // Shows the file. False when it can't be shown; the box then keeps what
    // it showed before and lastError() tells why.
    bool LoadImage_FromFile(const QString& path);
    // Hints the pictures likely to be shown next, decoded in the background
    // at the box's size; replaces earlier hints.
    void prefetch(const QStringList& paths);

    QString currentPath() const { return path_; }
    QImage currentPreview() const { return preview_; }
    QString lastError() const { return lastError_; }

    LoaderStats loaderStats() const { return loader_->stats(); }
    // For tests and measurements: waits until no background decode is left.
    bool waitForBackgroundWork(int timeoutMs = 30000) const { return loader_->waitForIdle(timeoutMs); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The contents rect in device pixels: the size previews are decoded at.
    QSize previewTarget() const;
    void adopt(const QString& path, QSize target, const QImage& preview);
    void onRefitReady(const QString& path, QSize target, const PreviewResult& result);

    std::unique_ptr<PreviewLoader> loader_;
    QString path_;
    QImage preview_;
    QSize previewTarget_;  // the target preview_ was made for
    QString lastError_;
};

} // namespace kinoleaf
