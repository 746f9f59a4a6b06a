#pragma once
// Previews already decoded, shared by every picture box and its background
// decoding. Bounded by the bytes of pixels it holds, least recently used out
// first. The key carries the file's modification time and size, so a file
// changed on disk misses and is decoded again.

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QSize>
#include <QString>

#include <list>
#include <memory>
#include <optional>

namespace kinoleaf {

struct PreviewKey {
    QString path;
    QSize target;
    qint64 modifiedMs = -1;
    qint64 fileSize = -1;

    // The key of path's file as it is on disk now; nullopt when there is no
    // ordinary file there.
    static std::optional<PreviewKey> forFile(const QString& path, QSize target);

    friend bool operator==(const PreviewKey&, const PreviewKey&) = default;
};

size_t qHash(const PreviewKey& key, size_t seed = 0) noexcept;

struct CachedPreview {
    QImage image;
    bool incomplete = false;  // decoded from a file that ends early
};

class PreviewCache {
public:
    static constexpr qint64 kDefaultMaxBytes = 64LL * 1024 * 1024;

    explicit PreviewCache(qint64 maxBytes = kDefaultMaxBytes);
    PreviewCache(const PreviewCache&) = delete;
    PreviewCache& operator=(const PreviewCache&) = delete;

    // The one the picture boxes use unless given another.
    static std::shared_ptr<PreviewCache> shared();

    // A hit becomes the most recently used.
    std::optional<CachedPreview> find(const PreviewKey& key);
    bool contains(const PreviewKey& key) const;
    // Replaces an entry of the same key. An image bigger than the whole bound
    // is not kept: it would only push everything else out.
    void insert(const PreviewKey& key, const QImage& image, bool incomplete = false);
    void clear();

    void setMaxBytes(qint64 maxBytes);
    qint64 maxBytes() const;
    qint64 bytesUsed() const;
    int count() const;

private:
    struct Entry {
        PreviewKey key;
        QImage image;
        bool incomplete = false;
    };
    using Order = std::list<Entry>;  // front: most recently used

    void evictOverBoundLocked();

    mutable QMutex mutex_;
    Order order_;
    QHash<PreviewKey, Order::iterator> index_;
    qint64 maxBytes_;
    qint64 bytesUsed_ = 0;
};

} // namespace kinoleaf
