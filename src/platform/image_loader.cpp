#include "platform/image_loader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThreadPool>
#include <QWaitCondition>

#include <algorithm>
#include <deque>

namespace kinoleaf {

namespace {

// Shared by every picture box; each box runs at most one decode at a time.
constexpr int kWorkerThreads = 2;

// Owned by the application object, so its threads are joined while Qt is
// still fully alive (a plain static would be torn down after main).
QThreadPool* workerPool() {
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(kWorkerThreads);
    }
    return pool;
}

// Decodes and caches, unless the file changed while it was being read: the
// pixels might then belong to neither version.
PreviewResult decodeAndCache(const PreviewKey& key, PreviewCache& cache) {
    PreviewResult result = decodePreview(key.path, key.target);
    if (result.ok() && PreviewKey::forFile(key.path, key.target) == key) cache.insert(key, result.image);
    return result;
}

PreviewResult fromCache(const QImage& image) {
    PreviewResult result;
    result.image = image;
    return result;
}

PreviewResult missingFile() {
    PreviewResult result;
    result.error = QStringLiteral("file not found");
    return result;
}

struct Job {
    QString path;
    QSize target;
    bool refit = false;  // report the result back, not only cache it
};

// A background decode while it runs; a load of the same picture waits on it.
struct Flight {
    QString path;
    QSize target;
    std::optional<PreviewKey> key;
    bool done = false;
    PreviewResult result;
};

} // namespace

struct PreviewLoader::State {
    std::shared_ptr<PreviewCache> cache;

    mutable QMutex mutex;
    mutable QWaitCondition changed;
    std::deque<Job> pending;
    std::shared_ptr<Flight> running;
    bool runnerActive = false;
    QObject* receiver = nullptr;  // cleared by the loader's destructor
    ReadyHandler onReady;
    LoaderStats stats;

    // Runs on a pool thread until the queue is empty; holds the state alive
    // on its own, so the loader may go away meanwhile.
    static void run(const std::shared_ptr<State>& self);
};

void PreviewLoader::State::run(const std::shared_ptr<State>& self) {
    for (;;) {
        Job job;
        std::shared_ptr<Flight> flight;
        {
            QMutexLocker lock(&self->mutex);
            if (self->pending.empty()) {
                self->runnerActive = false;
                self->changed.wakeAll();
                return;
            }
            job = std::move(self->pending.front());
            self->pending.pop_front();
            flight = std::make_shared<Flight>();
            flight->path = job.path;
            flight->target = job.target;
            self->running = flight;
        }

        const std::optional<PreviewKey> key = PreviewKey::forFile(job.path, job.target);
        PreviewResult result = missingFile();
        bool decoded = false;
        if (key) {
            if (const std::optional<QImage> hit = self->cache->find(*key)) {
                result = fromCache(*hit);
            } else {
                result = decodeAndCache(*key, *self->cache);
                decoded = true;
            }
        }

        QMutexLocker lock(&self->mutex);
        flight->key = key;
        flight->result = result;
        flight->done = true;
        self->running.reset();
        if (decoded) ++self->stats.decodedInBackground;
        if (job.refit && self->receiver) {
            // Posted while the receiver is known alive; its destructor removes
            // the event if it goes before the event is delivered.
            QMetaObject::invokeMethod(
                self->receiver,
                [onReady = self->onReady, path = job.path, target = job.target, result] {
                    onReady(path, target, result);
                },
                Qt::QueuedConnection);
        }
        self->changed.wakeAll();
    }
}

PreviewLoader::PreviewLoader(std::shared_ptr<PreviewCache> cache, QObject* receiver,
                             ReadyHandler onReady)
    : state_(std::make_shared<State>()) {
    state_->cache = std::move(cache);
    state_->receiver = receiver;
    state_->onReady = std::move(onReady);
}

PreviewLoader::~PreviewLoader() {
    QMutexLocker lock(&state_->mutex);
    state_->pending.clear();
    state_->receiver = nullptr;
    state_->onReady = nullptr;
}

PreviewResult PreviewLoader::load(const QString& path, QSize target) {
    State& s = *state_;
    const std::optional<PreviewKey> key = PreviewKey::forFile(path, target);

    std::shared_ptr<Flight> flight;
    {
        QMutexLocker lock(&s.mutex);
        // Whatever was queued for this picture is done right here instead,
        // and a refit of the picture being left is of no use any more.
        std::erase_if(s.pending, [&](const Job& job) {
            return job.refit || (job.path == path && job.target == target);
        });
        if (!key) return missingFile();
        if (const std::optional<QImage> hit = s.cache->find(*key)) {
            ++s.stats.cacheHits;
            return fromCache(*hit);
        }
        if (s.running && s.running->path == path && s.running->target == target) {
            flight = s.running;
            while (!flight->done) s.changed.wait(&s.mutex);
        }
    }
    if (flight && flight->key == key) {
        QMutexLocker lock(&s.mutex);
        ++s.stats.waitedForBackground;
        return flight->result;
    }

    PreviewResult result = decodeAndCache(*key, *s.cache);
    QMutexLocker lock(&s.mutex);
    ++s.stats.decodedHere;
    return result;
}

std::optional<QImage> PreviewLoader::cached(const QString& path, QSize target) const {
    const std::optional<PreviewKey> key = PreviewKey::forFile(path, target);
    if (!key) return std::nullopt;
    return state_->cache->find(*key);
}

void PreviewLoader::prefetch(const QStringList& paths, QSize target) {
    QMutexLocker lock(&state_->mutex);
    std::erase_if(state_->pending, [](const Job& job) { return !job.refit; });
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        const bool running = state_->running && state_->running->path == path &&
                             state_->running->target == target;
        const bool queued = std::any_of(state_->pending.begin(), state_->pending.end(),
                                        [&](const Job& job) {
                                            return job.path == path && job.target == target;
                                        });
        if (!running && !queued) state_->pending.push_back(Job{path, target, false});
    }
    startRunnerLocked();
}

void PreviewLoader::requestRefit(const QString& path, QSize target) {
    QMutexLocker lock(&state_->mutex);
    std::erase_if(state_->pending, [](const Job& job) { return job.refit; });
    // Ahead of the hints: it is the picture on screen.
    state_->pending.push_front(Job{path, target, true});
    startRunnerLocked();
}

void PreviewLoader::startRunnerLocked() {
    if (state_->runnerActive || state_->pending.empty()) return;
    state_->runnerActive = true;
    workerPool()->start([self = state_] { State::run(self); });
}

LoaderStats PreviewLoader::stats() const {
    QMutexLocker lock(&state_->mutex);
    return state_->stats;
}

bool PreviewLoader::waitForIdle(int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&state_->mutex);
    while (state_->runnerActive) {
        if (!state_->changed.wait(&state_->mutex, deadline)) break;
    }
    return !state_->runnerActive;
}

bool waitForImageWorkers(int timeoutMs) {
    return workerPool()->waitForDone(timeoutMs);
}

} // namespace kinoleaf
