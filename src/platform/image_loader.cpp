#include "platform/image_loader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <algorithm>
#include <deque>
#include <functional>

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sched.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kinoleaf {

namespace {

// Owned by the application object, so its threads are joined while Qt is
// still fully alive (a plain static would be torn down after main).
QThreadPool* makePool(int threads) {
    auto* pool = new QThreadPool(QCoreApplication::instance());
    pool->setMaxThreadCount(threads);
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

// A progressive 12 MP JPEG decodes into some 72 MB of coefficients that
// libjpeg allocates and zeroes before reading a byte of the scans. glibc
// gives such blocks back to the system when they are freed (thread arenas
// do whatever the thresholds say), so every decode faulted them in afresh:
// some 220 ms of CPU on a virtual machine, half the decode, and no cancel
// can cut it short. Decodes allocate from one arena that keeps freed memory
// for the next decode; it goes back to the system once decoding rests.
void keepDecodeMemory() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest: a 12 MP component's coefficients fit below
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

// Set before main: the arena limit counts only while no thread has an arena
// of its own, and Qt starts threads early.
[[maybe_unused]] const bool decodeMemoryKept = (keepDecodeMemory(), true);

void releaseDecodeMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// How long the last worker waits for more work before the memory goes back.
constexpr int kRestMs = 300;

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

// One background decode. Fields other than the atomics are guarded by the
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
    std::atomic<bool> urgent{false};  // a show waits for it: it goes ahead of guesses

    bool serves(const QString& p, QSize t) const {
        return !done && !cancel.load() && path == p && target == t;
    }
};

// The decodes of every picture box wait here for a free slot. A decode
// taken out before it begins costs nothing, which is what happens to the
// pages a held key passes while the slots are busy.
class DecodeQueue {
public:
    static DecodeQueue& instance() {
        static DecodeQueue queue;
        return queue;
    }

    int slotCount() const { return slots_; }

    void submit(std::shared_ptr<Task> task, std::function<void()> run) {
        QMutexLocker lock(&mutex_);
        jobs_.push_back({std::move(task), std::move(run)});
        startWorkersLocked();
        resting_.wakeOne();
    }

    // Takes the task out if it has not begun.
    bool withdraw(const std::shared_ptr<Task>& task) {
        QMutexLocker lock(&mutex_);
        const auto it = std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& job) { return job.task == task; });
        if (it == jobs_.end()) return false;
        jobs_.erase(it);
        return true;
    }

    void hold(bool held) {
        QMutexLocker lock(&mutex_);
        held_ = held;
        startWorkersLocked();
        resting_.wakeAll();
    }

    bool waitForDone(int timeoutMs) { return pool()->waitForDone(timeoutMs); }

private:
    struct Job {
        std::shared_ptr<Task> task;
        std::function<void()> run;
    };

    QThreadPool* pool() {
        static QPointer<QThreadPool> pool;
        if (!pool) {
            pool = makePool(slots_);
            // A resting worker would hold up the pool's end by its rest.
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, pool, [this] {
                QMutexLocker lock(&mutex_);
                quitting_ = true;
                resting_.wakeAll();
            });
        }
        return pool;
    }

    void startWorkersLocked() {
        // Workers running a decode take no other until it ends.
        const int wanted = held_ ? 0 : std::min<int>(slots_, busy_ + int(jobs_.size()));
        for (; workers_ < wanted; ++workers_) pool()->start([this] { work(); });
    }

    // Each worker runs one decode at a time, a show before any guess.
    void work() {
        runAsBackgroundWork();
        for (;;) {
            Job job;
            {
                QMutexLocker lock(&mutex_);
                // The last worker out waits a little: paging goes on with
                // the memory of the decodes before.
                if (jobs_.empty() && !held_ && !quitting_ && busy_ == 0) resting_.wait(&mutex_, kRestMs);
                if (jobs_.empty() || held_) {
                    --workers_;
                    const bool rest = workers_ == 0 && busy_ == 0;
                    lock.unlock();
                    if (rest) releaseDecodeMemory();
                    return;
                }
                auto it = std::find_if(jobs_.begin(), jobs_.end(),
                                       [](const Job& j) { return j.task->urgent.load(); });
                if (it == jobs_.end()) it = jobs_.begin();
                job = std::move(*it);
                jobs_.erase(it);
                ++busy_;
            }
            job.run();
            QMutexLocker lock(&mutex_);
            --busy_;
        }
    }

    const int slots_ = std::clamp(QThread::idealThreadCount(), 1, 2);
    QMutex mutex_;
    QWaitCondition resting_;
    std::deque<Job> jobs_;
    int workers_ = 0;  // started, not yet out of work
    int busy_ = 0;     // running a decode
    bool held_ = false;
    bool quitting_ = false;
};

} // namespace

struct PreviewLoader::State {
    std::shared_ptr<PreviewCache> cache;

    mutable QMutex mutex;
    mutable QWaitCondition changed;
    QStringList hints;   // the latest hint list, for telling what is still wanted
    QSize hintTarget;
    std::deque<QString> queued;  // hints not handed to the decode queue yet
    // The one hint handed to the decode queue, until its decode ends; the
    // next waits for it.
    std::shared_ptr<Task> prefetching;
    std::shared_ptr<Task> showing;  // what the latest show waits for
    quint64 latest = 0;             // numbers the requests; only the latest is reported
    int handedOver = 0;             // in the decode queue or running, winding-down ones included
    int running = 0;
    QObject* receiver = nullptr;    // cleared by the loader's destructor
    ReadyHandler onReady;
    LoaderStats stats;

    bool hintedLocked(const QString& path, QSize target) const {
        return target == hintTarget && hints.contains(path);
    }
    // Takes a task that has not begun out of the decode queue; false when it
    // runs already (or is done).
    bool withdrawLocked(std::shared_ptr<Task> task) {  // a copy: it may be a member reset here
        if (!DecodeQueue::instance().withdraw(task)) return false;
        task->cancel = true;
        task->result.cancelled = true;
        task->done = true;
        if (prefetching == task) prefetching.reset();
        if (showing == task) showing.reset();
        --handedOver;
        changed.wakeAll();
        return true;
    }
    // Dropped before it begins, or stopped at the decoder's next chance.
    void giveUpLocked(std::shared_ptr<Task> task) {
        if (withdrawLocked(task)) {
            ++stats.dropped;
            ++stats.cancelled;
        }
        task->cancel = true;
    }
    // The latest show is no longer wanted: its decode is given up, unless it
    // is a prefetch whose picture is still hinted.
    void dropShowLocked() {
        const std::shared_ptr<Task> old = std::exchange(showing, nullptr);
        if (!old) return;
        old->reportAs = 0;
        if (!old->hint || !hintedLocked(old->path, old->target)) giveUpLocked(old);
    }
    // The latest show takes over a queued or running prefetch of its
    // picture. The next hint waits for the next hint list: the queued ones
    // were meant for the page before.
    bool adoptPrefetchLocked(const QString& path, QSize target) {
        if (!prefetching || !prefetching->serves(path, target)) return false;
        prefetching->reportAs = latest;
        prefetching->urgent = true;
        showing = std::exchange(prefetching, nullptr);
        ++stats.showsAdopted;
        return true;
    }
    void beginLocked() {
        ++running;
        stats.mostRunning = std::max(stats.mostRunning, running);
    }
    void startShowLocked(const std::shared_ptr<State>& self, const QString& path, QSize target);
    void startHintLocked(const std::shared_ptr<State>& self);

    // Decodes (or finds in the cache) on a pool thread and reports the
    // result if the task still belongs to the latest show. Holds the state
    // alive on its own, so the loader may go away meanwhile.
    static void execute(const std::shared_ptr<State>& self, const std::shared_ptr<Task>& task);
    static void runHint(const std::shared_ptr<State>& self, const std::shared_ptr<Task>& task);
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

void PreviewLoader::State::runHint(const std::shared_ptr<State>& self, const std::shared_ptr<Task>& task) {
    {
        QMutexLocker lock(&self->mutex);
        self->beginLocked();
        ++self->stats.prefetchesStarted;
    }
    bool skipped = false;
    if (tooBigToGuess(task->path)) {
        QMutexLocker lock(&self->mutex);
        // Left for the page that shows it, unless that page is asking now.
        if (task->reportAs == 0) {
            task->result.cancelled = true;
            task->done = true;
            skipped = true;
        }
    }
    if (!skipped) execute(self, task);
    QMutexLocker lock(&self->mutex);
    --self->running;
    --self->handedOver;
    if (self->prefetching == task) self->prefetching.reset();
    self->startHintLocked(self);
    self->changed.wakeAll();
}

void PreviewLoader::State::startShowLocked(const std::shared_ptr<State>& self, const QString& path,
                                           QSize target) {
    auto task = std::make_shared<Task>();
    task->path = path;
    task->target = target;
    task->reportAs = latest;
    task->urgent = true;
    showing = task;
    ++handedOver;
    ++stats.showsStarted;
    DecodeQueue::instance().submit(task, [self, task] {
        {
            QMutexLocker lock(&self->mutex);
            self->beginLocked();
        }
        execute(self, task);
        QMutexLocker lock(&self->mutex);
        --self->running;
        --self->handedOver;
        self->startHintLocked(self);  // hints left waiting when a show dropped their turn
        self->changed.wakeAll();
    });
}

void PreviewLoader::State::startHintLocked(const std::shared_ptr<State>& self) {
    // The page shown first: a guess beside it would share the cores with it
    // (and its memory with the rest), and its end starts the hints anyway.
    if (prefetching || (showing && !showing->done)) return;
    // A hint the latest show is already decoding needs no second decode.
    while (!queued.empty() && showing && showing->serves(queued.front(), hintTarget)) queued.pop_front();
    if (queued.empty()) return;
    auto task = std::make_shared<Task>();
    task->path = queued.front();
    task->target = hintTarget;
    task->hint = true;
    queued.pop_front();
    prefetching = task;
    ++handedOver;
    DecodeQueue::instance().submit(task, [self, task] { runHint(self, task); });
}

PreviewLoader::PreviewLoader(std::shared_ptr<PreviewCache> cache, QObject* receiver,
                             ReadyHandler onReady)
    : state_(std::make_shared<State>()) {
    state_->cache = std::move(cache);
    state_->receiver = receiver;
    state_->onReady = std::move(onReady);
}

PreviewLoader::~PreviewLoader() {
    State& s = *state_;
    QMutexLocker lock(&s.mutex);
    s.queued.clear();
    if (s.prefetching) s.withdrawLocked(s.prefetching);
    // Nobody is left to show the picture; a prefetch it took over that has
    // begun still finishes, as every running prefetch does.
    if (const std::shared_ptr<Task> old = std::exchange(s.showing, nullptr)) {
        old->reportAs = 0;
        if (old->hint) s.withdrawLocked(old);
        else s.giveUpLocked(old);
    }
    s.receiver = nullptr;
    s.onReady = nullptr;
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
        // Not begun yet: decoded right here instead, and the hints go on.
        if (flight && s.withdrawLocked(flight)) {
            flight.reset();
            s.startHintLocked(state_);
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
            s.startHintLocked(state_);  // hints that waited for the show dropped
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
    // A prefetch of this picture may have been handed over meanwhile.
    if (s.adoptPrefetchLocked(path, target)) return std::nullopt;
    s.startShowLocked(state_, path, target);
    return std::nullopt;
}

void PreviewLoader::cancelShow() {
    State& s = *state_;
    QMutexLocker lock(&s.mutex);
    ++s.latest;  // a result already on its way is no longer the latest
    s.dropShowLocked();
    s.startHintLocked(state_);  // hints that waited for the show
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
    if (s.prefetching && !s.hintedLocked(s.prefetching->path, s.prefetching->target))
        s.giveUpLocked(s.prefetching);
    s.startHintLocked(state_);
}

LoaderStats PreviewLoader::stats() const {
    QMutexLocker lock(&state_->mutex);
    return state_->stats;
}

bool PreviewLoader::waitForIdle(int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&state_->mutex);
    auto busy = [this] { return state_->handedOver > 0; };
    while (busy()) {
        if (!state_->changed.wait(&state_->mutex, deadline)) break;
    }
    return !busy();
}

int imageDecodeSlots() {
    return DecodeQueue::instance().slotCount();
}

bool waitForImageWorkers(int timeoutMs) {
    return DecodeQueue::instance().waitForDone(timeoutMs);
}

void holdImageWork(bool held) {
    DecodeQueue::instance().hold(held);
}

} // namespace kinoleaf
