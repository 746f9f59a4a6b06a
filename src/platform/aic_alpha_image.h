#pragma once
// The picture box of every window: shows one image file scaled to fit,
// centred, aspect kept. Decoding happens at the shown size, previews are
// cached, and the pages likely to come next can be decoded in advance.

#include "platform/image_loader.h"
#include "platform/quick_preview.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace kinoleaf {

class aicAlphaImage : public QWidget {
    Q_OBJECT
public:
    enum class ShowState {
        Shown,    // on screen now (it was in the cache)
        Pending,  // being decoded; imageShown or imageFailed follows
        Failed,   // can't be shown; lastError() tells why
    };

    explicit aicAlphaImage(QWidget* parent = nullptr,
                           std::shared_ptr<PreviewCache> cache = PreviewCache::shared());
    ~aicAlphaImage() override;

    // Shows the file, waiting for its decode. False when it can't be shown;
    // the box then keeps what it showed before and lastError() tells why.
    // Supersedes a pending showImage.
    bool LoadImage_FromFile(const QString& path);
    // Shows the file without waiting: until the new picture is decoded in
    // the background, the box shows its quick preview when it has one (see
    // setThumbnailSource), else the old picture; then imageShown(path)
    // follows. A
    // decode that fails gives imageFailed(path, reason) and leaves the old
    // picture (the quick preview goes). Files that can't be decoded at all (missing, not a picture,
    // too big) are told at once: Failed, with lastError() set. Shown means
    // the cached picture is on screen already; no signal follows. A later
    // showImage (even a failing one) or LoadImage_FromFile supersedes a
    // pending one: its decode is cancelled and no signal comes for it.
    ShowState showImage(const QString& path);
    // Gives up a pending showImage: the box goes back to its picture and no
    // signal comes for it.
    void cancelPending();
    // Hints the pictures likely to be shown next, decoded in the background
    // at the box's size; replaces earlier hints.
    void prefetch(const QStringList& paths);

    // Where the quick preview of a pending page comes from: source first,
    // then the JPEG's embedded EXIF thumbnail. Read while showImage runs on
    // this thread, so source must only look up thumbnails made already.
    void setThumbnailSource(ThumbnailSource source) { thumbnailSource_ = std::move(source); }

    // The picture on screen, decoded in full; a quick preview never counts.
    QString currentPath() const { return path_; }
    QImage currentPreview() const { return preview_; }
    // The picture on screen comes from a file that ends early (a copy or
    // download cut short): part of it is filled in.
    bool currentIncomplete() const { return incomplete_; }
    // The picture a showImage is still decoding; empty when none.
    QString pendingPath() const { return pendingPath_; }
    // The page whose quick preview is on screen in place of currentPath's
    // picture, until the pending picture comes or fails; empty when none
    // is. Paging on to a page without one keeps the last one on screen.
    QString quickPreviewPath() const { return quickPath_; }
    QString lastError() const { return lastError_; }

    LoaderStats loaderStats() const { return loader_->stats(); }
    // For tests and measurements: waits until no background decode is left.
    bool waitForBackgroundWork(int timeoutMs = 30000) const { return loader_->waitForIdle(timeoutMs); }

signals:
    void imageShown(const QString& path);
    // A provisional picture of path is on screen; imageShown or imageFailed
    // for it may still follow.
    void quickPreviewShown(const QString& path);
    void imageFailed(const QString& path, const QString& reason);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The contents rect in device pixels: the size previews are decoded at.
    QSize previewTarget() const;
    void adopt(const QString& path, QSize target, const PreviewResult& result);
    // Asks the loader for the pending picture at target; reports at once
    // when the answer is there at once.
    void requestPending(QSize target);
    void finishPending(const QString& path, QSize target, const PreviewResult& result);
    void onReady(const QString& path, QSize target, const PreviewResult& result);
    void showQuickPreview(const QString& path);
    void dropQuickPreview();

    std::unique_ptr<PreviewLoader> loader_;
    QString path_;
    QImage preview_;
    QSize previewTarget_;  // the target preview_ was made for
    bool incomplete_ = false;
    QString pendingPath_;
    QSize pendingTarget_;
    QString lastError_;
    ThumbnailSource thumbnailSource_;
    QImage quick_;
    QString quickPath_;
};

} // namespace kinoleaf
