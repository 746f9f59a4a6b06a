#include "platform/preview_cache.h"

#include <QFileInfo>
#include <QMutexLocker>

namespace kinoleaf {

std::optional<PreviewKey> PreviewKey::forFile(const QString& path, QSize target) {
    const QFileInfo info(path);
    if (!info.isFile()) return std::nullopt;
    return PreviewKey{path, target,
                      info.lastModified().toMSecsSinceEpoch(), info.size()};
}

size_t qHash(const PreviewKey& key, size_t seed) noexcept {
    return qHashMulti(seed, key.path, key.target.width(), key.target.height(), key.modifiedMs,
                      key.fileSize);
}

PreviewCache::PreviewCache(qint64 maxBytes) : maxBytes_(maxBytes) {}

std::shared_ptr<PreviewCache> PreviewCache::shared() {
    static const auto cache = std::make_shared<PreviewCache>();
    return cache;
}

std::optional<CachedPreview> PreviewCache::find(const PreviewKey& key) {
    QMutexLocker lock(&mutex_);
    const auto it = index_.constFind(key);
    if (it == index_.constEnd()) return std::nullopt;
    order_.splice(order_.begin(), order_, it.value());
    return CachedPreview{order_.front().image, order_.front().incomplete};
}

bool PreviewCache::contains(const PreviewKey& key) const {
    QMutexLocker lock(&mutex_);
    return index_.contains(key);
}

void PreviewCache::insert(const PreviewKey& key, const QImage& image, bool incomplete) {
    if (image.isNull()) return;
    QMutexLocker lock(&mutex_);
    if (const auto it = index_.constFind(key); it != index_.constEnd()) {
        bytesUsed_ -= it.value()->image.sizeInBytes();
        order_.erase(it.value());
        index_.remove(key);
    }
    if (image.sizeInBytes() > maxBytes_) return;
    order_.push_front(Entry{key, image, incomplete});
    index_.insert(key, order_.begin());
    bytesUsed_ += image.sizeInBytes();
    evictOverBoundLocked();
}

void PreviewCache::clear() {
    QMutexLocker lock(&mutex_);
    order_.clear();
    index_.clear();
    bytesUsed_ = 0;
}

void PreviewCache::setMaxBytes(qint64 maxBytes) {
    QMutexLocker lock(&mutex_);
    maxBytes_ = maxBytes;
    evictOverBoundLocked();
}

qint64 PreviewCache::maxBytes() const {
    QMutexLocker lock(&mutex_);
    return maxBytes_;
}

qint64 PreviewCache::bytesUsed() const {
    QMutexLocker lock(&mutex_);
    return bytesUsed_;
}

int PreviewCache::count() const {
    QMutexLocker lock(&mutex_);
    return int(order_.size());
}

void PreviewCache::evictOverBoundLocked() {
    while (bytesUsed_ > maxBytes_ && !order_.empty()) {
        const Entry& oldest = order_.back();
        bytesUsed_ -= oldest.image.sizeInBytes();
        index_.remove(oldest.key);
        order_.pop_back();
    }
}

} // namespace kinoleaf
