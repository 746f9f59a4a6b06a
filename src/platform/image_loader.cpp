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

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sched.h>
#endif

namespace kinoleaf {

namespace {

// Prefetching is a guess: two threads shared by every picture box, each box
// working through its hints one at a time.
constexpr int kPrefetchThreads = 2;
// A show starts at once on a thread of its own. Superseded shows take a few
// milliseconds to notice their cancel, so a quick reader has a couple of
// them winding down while the newest runs.
constexpr int kShowThreads = 6;

// Owned by the application object, so their threads are joined while Qt is
// still fully alive (a plain static would be torn down after main).
QThreadPool* makePool(int threads) {
    auto* pool = new QThreadPool(QCoreApplication::instance());
    pool->setMaxThreadCount(threads);
    return pool;
}

QThreadPool* prefetchPool() {
    static QPointer<QThreadPool> pool;
    if (!pool) pool = makePool(kPrefetchThreads);
    return pool;
}

QThreadPool* showPool() {
    static QPointer<QThreadPool> pool;
    if (!pool) pool = makePool(kShowThreads);
    return pool;
}

// Decodes are background work: a decode thread woken by a key press must
// not take the CPU from the thread handling it, which plain Linux scheduling
// lets a thread waking from a long sleep do. Batch threads never preempt on
// waking; otherwise they get their full share of the CPU.
void runAsBackgroundWork() {
#ifdef Q_OS_LINUX
    thread_local bool done = false;
    if (done) return;
    done = true;
    sched_param param{};
    param.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &param);
#endif
}

// A picture this big decodes at full size first (gigabytes for the largest):
// decoded only when it is to be shown, never on a guess beside another.
constexpr qint64 kMaxGuessPixels = 100'000'000;

bool tooBigToGuess(const QString& path) {
    const ImageProbe probe = probeImage(path);
    if (!probe.ok() || !probe.size.isValid()) return false;
    // JPEG decodes straight to the small size.
    if (probe.format == "jpeg" || probe.format == "jpg") return false;
    return qint64(probe.size.width()) * probe.size.height() > kMaxGuessPixels;
}

PreviewResult fromCache(const CachedPreview& hit) {
    PreviewResult result;
    result.image = hit.image;
    result.incomplete = hit.incomplete;
    return result;
}

// One background decode. Fields other than cancel are guarded by the
// state's mutex.
struct Task {
    QString path;
    QSize target;
    bool hint = false;        // started as a prefetch
    quint64 reportAs = 0;     // the show it reports to; 0: it only fills the cache
    bool done = false;
    std::optional<PreviewKey> key;
    PreviewResult result;
    std::atomic<bool> cancel{false};

    bool serves(const QString& p, QSize t) const {
        return !done && !cancel.load() && path == p && target == t;
    }
};

} // namespace

struct PreviewLoader::State {
    std::shared_ptr<PreviewCache> cache;

    mutable QMutex mutex;
    mutable QWaitCondition changed;
    QStringList hints;   // the latest hint list, for telling what is still wanted
    QSize hintTarget;
    std::deque<QString> queued;  // hints not started yet
    std::shared_ptr<Task> prefetching;
    bool runnerActive = false;
    std::shared_ptr<Task> showing;  // what the latest show waits for
    quint64 latest = 0;             // numbers the requests; only the latest is reported
    int showTasks = 0;              // on the show pool, winding-down ones included
    QObject* receiver = nullptr;    // cleared by the loader's destructor
    ReadyHandler onReady;
    LoaderStats stats;

    bool hintedLocked(const QString& path, QSize target) const {
        return target == hintTarget && hints.contains(path);
    }
    // The latest show is no longer wanted: its decode is cancelled, unless it
    // is a prefetch whose picture is still hinted.
    void dropShowLocked() {
        const std::shared_ptr<Task> old = std::exchange(showing, nullptr);
        if (!old) return;
        old->reportAs = 0;
        if (!old->hint || !hintedLocked(old->path, old->target)) old->cancel = true;
    }
    // The latest show takes over a running prefetch of its picture.
    bool adoptPrefetchLocked(const QString& path, QSize target) {
        if (!prefetching || !prefetching->serves(path, target)) return false;
        prefetching->reportAs = latest;
        showing = prefetching;
        ++stats.showsAdopted;
        return true;
    }
    void startShowLocked(const std::shared_ptr<State>& self, const QString& path, QSize target);
    void startRunnerLocked(const std::shared_ptr<State>& self);

    // Decodes (or finds in the cache) on a pool thread and reports the
    // result if the task still belongs to the latest show. Holds the state
    // alive on its own, so the loader may go away meanwhile.
    static void execute(const std::shared_ptr<State>& self, const std::shared_ptr<Task>& task);
    static void runHints(const std::shared_ptr<State>& self);
};

void PreviewLoader::State::execute(const std::shared_ptr<State>& self, const std::shared_ptr<Task>& task) {
    PreviewCache& cache = *self->cache;
    const std::optional<PreviewKey> key = PreviewKey::forFile(task->path, task->target);
    PreviewResult result;
    bool decoded = false;
    if (!key) {
        result = decodePreview(task->path, task->target);  // only tells why there is no file
    } else if (const std::optional<CachedPreview> hit = cache.find(*key)) {
        result = fromCache(*hit);
    } else {
        result = decodePreview(task->path, task->target, ScaleStrategy::Auto, &task->cancel);
        decoded = true;
        // Not when the file changed while it was read: the pixels might then
        // belong to neither version. A cancelled decode is never ok.
        if (result.ok() && PreviewKey::forFile(task->path, task->target) == key)
            cache.insert(*key, result.image, result.incomplete);
    }

    QMutexLocker lock(&self->mutex);
    task->key = key;
    task->result = result;
    task->done = true;
    if (self->showing == task) self->showing.reset();
    if (result.cancelled) ++self->stats.cancelled;
    else if (decoded) ++self->stats.decodedInBackground;
    if (task->reportAs != 0 && task->reportAs == self->latest && !result.cancelled && self->receiver) {
        // Posted while the receiver is known alive; its destructor removes
        // the event if it goes before the event is delivered. A request made
        // after this one was posted makes it stale on arrival.
        QMetaObject::invokeMethod(
            self->receiver,
            [self, request = task->reportAs, path = task->path, target = task->target, result] {
                ReadyHandler onReady;
                {
                    QMutexLocker lock(&self->mutex);
                    if (request != self->latest || !self->receiver) return;
                    onReady = self->onReady;
                }
                if (onReady) onReady(path, target, result);
            },
            Qt::QueuedConnection);
    }
    self->changed.wakeAll();
}

void PreviewLoader::State::runHints(const std::shared_ptr<State>& self) {
    for (;;) {
        std::shared_ptr<Task> task;
        {
            QMutexLocker lock(&self->mutex);
            // A hint the latest show is already decoding needs no second decode.
            while (!self->queued.empty() && self->showing &&
                   self->showing->serves(self->queued.front(), self->hintTarget))
                self->queued.pop_front();
            // The picture asked for comes first: a guess started now would
            // take a core from it. The show starts the runner again when done.
            const bool showRunning = self->showing && !self->showing->hint;
            if (self->queued.empty() || showRunning) {
                self->runnerActive = false;
                self->changed.wakeAll();
                return;
            }
            task = std::make_shared<Task>();
            task->path = self->queued.front();
            task->target = self->hintTarget;
            task->hint = true;
            self->queued.pop_front();
            self->prefetching = task;
            ++self->stats.prefetchesStarted;
        }
        if (tooBigToGuess(task->path)) {
            QMutexLocker lock(&self->mutex);
            // Left for the page that shows it, unless that page is asking now.
            if (task->reportAs == 0) {
                task->result.cancelled = true;
                task->done = true;
                if (self->prefetching == task) self->prefetching.reset();
                self->changed.wakeAll();
                continue;
            }
        }
        execute(self, task);
        QMutexLocker lock(&self->mutex);
        if (self->prefetching == task) self->prefetching.reset();
    }
}

void PreviewLoader::State::startShowLocked(const std::shared_ptr<State>& self, const QString& path,
                                           QSize target) {
    auto task = std::make_shared<Task>();
    task->path = path;
    task->target = target;
    task->reportAs = latest;
    showing = task;
    ++showTasks;
    ++stats.showsStarted;
    showPool()->start([self, task] {
        runAsBackgroundWork();
        execute(self, task);
        QMutexLocker lock(&self->mutex);
        --self->showTasks;
        self->startRunnerLocked(self);  // the hints held back meanwhile
        self->changed.wakeAll();
    });
}

void PreviewLoader::State::startRunnerLocked(const std::shared_ptr<State>& self) {
    if (runnerActive || queued.empty()) return;
    runnerActive = true;
    prefetchPool()->start([self] {
        runAsBackgroundWork();
        runHints(self);
    });
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
    state_->queued.clear();
    // Nobody is left to show the picture; a prefetch it took over still
    // finishes, as every running prefetch does.
    if (const std::shared_ptr<Task> old = std::exchange(state_->showing, nullptr)) {
        old->reportAs = 0;
        if (!old->hint) old->cancel = true;
    }
    state_->receiver = nullptr;
    state_->onReady = nullptr;
}

PreviewResult PreviewLoader::load(const QString& path, QSize target) {
    State& s = *state_;
    const std::optional<PreviewKey> key = PreviewKey::forFile(path, target);

    std::shared_ptr<Task> flight;
    {
        QMutexLocker lock(&s.mutex);
        ++s.latest;
        // Whatever was queued for this picture is done right here instead.
        if (target == s.hintTarget) std::erase(s.queued, path);
        if (!key) {
            s.dropShowLocked();
            lock.unlock();
            return decodePreview(path, target);  // says why there is no file to show
        }
        if (const std::optional<CachedPreview> hit = s.cache->find(*key)) {
            s.dropShowLocked();
            ++s.stats.cacheHits;
            return fromCache(*hit);
        }
        if (s.showing && s.showing->serves(path, target)) {
            flight = std::exchange(s.showing, nullptr);
            flight->reportAs = 0;
        } else {
            s.dropShowLocked();
            if (s.prefetching && s.prefetching->serves(path, target)) flight = s.prefetching;
        }
        if (flight) {
            while (!flight->done) s.changed.wait(&s.mutex);
            if (flight->key == key && !flight->result.cancelled) {
                ++s.stats.waitedForBackground;
                return flight->result;
            }
        }
    }

    PreviewResult result = decodePreview(path, target);
    if (result.ok() && PreviewKey::forFile(path, target) == key) s.cache->insert(*key, result.image, result.incomplete);
    QMutexLocker lock(&s.mutex);
    ++s.stats.decodedHere;
    return result;
}

std::optional<PreviewResult> PreviewLoader::show(const QString& path, QSize target) {
    State& s = *state_;
    QMutexLocker lock(&s.mutex);
    ++s.latest;
    if (s.showing && s.showing->serves(path, target)) {
        s.showing->reportAs = s.latest;
        return std::nullopt;
    }
    s.dropShowLocked();
    if (const std::optional<PreviewKey> key = PreviewKey::forFile(path, target)) {
        if (const std::optional<CachedPreview> hit = s.cache->find(*key)) {
            ++s.stats.cacheHits;
            return fromCache(*hit);
        }
    }
    // Only a header read, and no decode can report meanwhile: the receiver
    // runs on this thread. Read even when a prefetch of the picture runs, so
    // a file that is no picture at all is told at once, always the same way.
    lock.unlock();
    const ImageProbe probe = probeImage(path);
    if (!probe.ok()) {
        PreviewResult failed;
        failed.format = probe.format;
        failed.error = probe.error;
        return failed;
    }
    lock.relock();
    if (target == s.hintTarget) std::erase(s.queued, path);
    // The prefetch runner may have taken up this picture meanwhile.
    if (s.adoptPrefetchLocked(path, target)) return std::nullopt;
    s.startShowLocked(state_, path, target);
    return std::nullopt;
}

void PreviewLoader::cancelShow() {
    State& s = *state_;
    QMutexLocker lock(&s.mutex);
    ++s.latest;  // a result already on its way is no longer the latest
    s.dropShowLocked();
}

std::optional<CachedPreview> PreviewLoader::cached(const QString& path, QSize target) const {
    const std::optional<PreviewKey> key = PreviewKey::forFile(path, target);
    if (!key) return std::nullopt;
    return state_->cache->find(*key);
}

void PreviewLoader::prefetch(const QStringList& paths, QSize target) {
    State& s = *state_;
    QMutexLocker lock(&s.mutex);
    s.hints.clear();
    s.queued.clear();
    s.hintTarget = target;
    for (const QString& path : paths) {
        if (path.isEmpty() || s.hints.contains(path)) continue;
        s.hints << path;
        const bool running = (s.prefetching && s.prefetching->serves(path, target)) ||
                             (s.showing && s.showing->serves(path, target));
        if (!running) s.queued.push_back(path);
    }
    if (s.prefetching && s.prefetching != s.showing &&
        !s.hintedLocked(s.prefetching->path, s.prefetching->target))
        s.prefetching->cancel = true;
    s.startRunnerLocked(state_);
}

LoaderStats PreviewLoader::stats() const {
    QMutexLocker lock(&state_->mutex);
    return state_->stats;
}

bool PreviewLoader::waitForIdle(int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&state_->mutex);
    auto busy = [this] { return state_->runnerActive || state_->showTasks > 0; };
    while (busy()) {
        if (!state_->changed.wait(&state_->mutex, deadline)) break;
    }
    return !busy();
}

bool waitForImageWorkers(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    return prefetchPool()->waitForDone(int(deadline.remainingTime())) &&
           showPool()->waitForDone(int(deadline.remainingTime()));
}

} // namespace kinoleaf
