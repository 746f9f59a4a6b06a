#pragma once
// Thumbnails for a view of many pages: asked for in the order they are
// wanted (those on screen first), made on threads of their own, at a lower
// priority than the main picture's decodes and never in their slots, and
// kept in memory (bounded) and in the desktop's thumbnail cache.

#include <QCache>
#include <QImage>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class QThreadPool;

namespace kinoleaf {

struct Thumbnail {
    enum State { Ready, Broken, Missing };
    State state = Ready;
    QImage image;  // for Ready only
};

class ThumbnailProvider : public QObject {
    Q_OBJECT
public:
    // threads 0: one a core.
    explicit ThumbnailProvider(QObject* parent = nullptr, int threads = 0);
    // Drops what waits and waits for the thumbnails being made.
    ~ThumbnailProvider() override;

    // The box thumbnails are made for (normal flavor up to 128, large above);
    // a change of flavor forgets those in memory.
    void setSide(int side);
    int side() const { return m_side; }
    // The memory kept for thumbnails, in bytes.
    void setMemoryBudget(qint64 bytes);

    // What memory holds for the picture; nullptr when nothing yet.
    const Thumbnail* cached(const QString& path) const;
    // Replaces what waits: paths in the order they are wanted. Pictures
    // already in memory or being made are left out; those asked for before
    // and no longer wanted are dropped.
    void request(const QStringList& paths);
    // Forgets the picture (its name now stands for another file).
    void forget(const QString& path);

    int pending() const;
    // For tests and measurements: true when nothing waits or runs.
    bool waitForIdle(int timeoutMs);

signals:
    void ready(const QString& path);

public:
    struct Shared;

private:
    static void work(const std::shared_ptr<Shared>& s);
    void deliver(const QString& path, const Thumbnail& thumb, int side);

    std::shared_ptr<Shared> m_shared;
    QThreadPool* m_pool;
    QCache<QString, Thumbnail> m_memory;
    int m_side = 128;
};

// Makes one thumbnail of the given side: from the desktop cache when it
// holds a valid one, otherwise decoded at that size and written there (a
// failure note for a picture that cannot be decoded).
Thumbnail makeThumbnail(const QString& path, int side, const std::atomic<bool>* cancel = nullptr);

} // namespace kinoleaf
