#include "overview/thumbnail_provider.h"

#include "platform/preview_decoder.h"
#include "platform/thumbnail_cache.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <deque>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace kinoleaf {

namespace {

// The main picture is what the user looks at: thumbnail threads never
// preempt on waking (batch scheduling) and yield to normal threads a little.
void lowerThisThread() {
#ifdef Q_OS_LINUX
    thread_local bool done = false;
    if (done) return;
    done = true;
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &param);
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 4);
#endif
}

} // namespace

Thumbnail makeThumbnail(const QString& path, int side, const std::atomic<bool>* cancel) {
    Thumbnail thumb;
    const std::optional<qint64> mtime = thumbs::fileMTime(path);
    if (!mtime) {
        thumb.state = QFileInfo::exists(path) ? Thumbnail::Broken : Thumbnail::Missing;
        return thumb;
    }
    const thumbs::Flavor flavor = thumbs::flavorFor(side);
    const bool inCache = thumbs::isInsideCache(path);
    if (!inCache) {
        if (std::optional<QImage> hit = thumbs::readThumbnail(path, flavor)) {
            thumb.image = hit->convertToFormat(hit->hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                      : QImage::Format_RGB32);
            return thumb;
        }
        if (thumbs::hasFailure(path)) {
            thumb.state = Thumbnail::Broken;
            return thumb;
        }
    }
    const int flavorSide = thumbs::sideOf(flavor);
    const PreviewResult decoded = decodePreview(path, QSize(flavorSide, flavorSide), ScaleStrategy::Auto, cancel);
    if (decoded.cancelled) {
        thumb.state = Thumbnail::Broken;
        return thumb;
    }
    if (!decoded.ok()) {
        thumb.state = Thumbnail::Broken;
        if (!inCache && QFileInfo::exists(path)) thumbs::writeFailure(path, *mtime);
        return thumb;
    }
    // decodePreview enlarges small pictures to fill its box; a thumbnail
    // never is larger than its picture.
    QImage image = decoded.image;
    const QSize source = decoded.sourceSize;
    if (source.isValid() && (image.width() > source.width() || image.height() > source.height()))
        image = image.scaled(source, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!inCache) thumbs::writeThumbnail(path, *mtime, image, flavor, source);
    thumb.image = image;
    return thumb;
}

// What the workers share with the provider. The provider sets closing and
// waits for its workers before it goes, so owner is valid while closing is
// false under the mutex.
struct ThumbnailProvider::Shared {
    QMutex mutex;
    std::deque<QString> queue;
    QSet<QString> queued;
    QSet<QString> running;
    int workers = 0;
    int side = 128;
    bool closing = false;
    std::atomic<bool> cancel{false};
    ThumbnailProvider* owner = nullptr;
};

void ThumbnailProvider::work(const std::shared_ptr<Shared>& s) {
    lowerThisThread();
    for (;;) {
        QString path;
        int side;
        {
            QMutexLocker lock(&s->mutex);
            if (s->closing || s->queue.empty()) {
                --s->workers;
                return;
            }
            path = s->queue.front();
            s->queue.pop_front();
            s->queued.remove(path);
            s->running.insert(path);
            side = s->side;
        }
        const Thumbnail thumb = makeThumbnail(path, side, &s->cancel);
        QMutexLocker lock(&s->mutex);
        s->running.remove(path);
        if (s->closing) continue;
        ThumbnailProvider* owner = s->owner;
        QMetaObject::invokeMethod(owner, [owner, path, thumb, side] { owner->deliver(path, thumb, side); },
                                  Qt::QueuedConnection);
    }
}

ThumbnailProvider::ThumbnailProvider(QObject* parent, int threads)
    : QObject(parent), m_shared(std::make_shared<Shared>()), m_pool(new QThreadPool(this)) {
    m_shared->owner = this;
    m_pool->setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
    m_pool->setExpiryTimeout(5000);
    setMemoryBudget(64 << 20);
}

ThumbnailProvider::~ThumbnailProvider() {
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->closing = true;
        m_shared->queue.clear();
        m_shared->queued.clear();
    }
    m_shared->cancel = true;
    m_pool->waitForDone();
}

void ThumbnailProvider::setSide(int side) {
    if (thumbs::flavorFor(side) != thumbs::flavorFor(m_side)) m_memory.clear();
    m_side = side;
    QMutexLocker lock(&m_shared->mutex);
    m_shared->side = side;
}

void ThumbnailProvider::setMemoryBudget(qint64 bytes) { m_memory.setMaxCost(qsizetype(std::max<qint64>(1, bytes >> 10))); }

const Thumbnail* ThumbnailProvider::cached(const QString& path) const { return m_memory.object(path); }

void ThumbnailProvider::request(const QStringList& paths) {
    QMutexLocker lock(&m_shared->mutex);
    Shared& s = *m_shared;
    s.queue.clear();
    s.queued.clear();
    for (const QString& p : paths) {
        if (p.isEmpty() || m_memory.contains(p) || s.running.contains(p) || s.queued.contains(p)) continue;
        s.queue.push_back(p);
        s.queued.insert(p);
    }
    const int wanted = std::min<int>(m_pool->maxThreadCount(), int(s.queue.size()));
    while (s.workers < wanted) {
        ++s.workers;
        m_pool->start([shared = m_shared] { work(shared); });
    }
}

void ThumbnailProvider::forget(const QString& path) { m_memory.remove(path); }

int ThumbnailProvider::pending() const {
    QMutexLocker lock(&m_shared->mutex);
    return int(m_shared->queue.size() + m_shared->running.size());
}

bool ThumbnailProvider::waitForIdle(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QCoreApplication::processEvents();
        {
            QMutexLocker lock(&m_shared->mutex);
            if (m_shared->workers == 0 && m_shared->queue.empty()) break;
        }
        if (deadline.hasExpired()) return false;
        QThread::msleep(1);
    }
    // Results already queued to this thread.
    QCoreApplication::processEvents();
    return true;
}

void ThumbnailProvider::deliver(const QString& path, const Thumbnail& thumb, int side) {
    // Made for a flavor no longer shown.
    if (thumbs::flavorFor(side) != thumbs::flavorFor(m_side)) return;
    const qint64 bytes = thumb.image.isNull() ? 64 : thumb.image.sizeInBytes();
    m_memory.insert(path, new Thumbnail(thumb), qsizetype(std::max<qint64>(1, bytes >> 10)));
    emit ready(path);
}

} // namespace kinoleaf
