#pragma once
// Gets previews for one picture box: the page to show now (on the calling
// thread, from the cache when it can) and the pages likely to come next (on
// a background thread, into the cache). A page asked for while its
// background decode is running is waited for, never decoded twice.

#include "platform/preview_cache.h"
#include "platform/preview_decoder.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace kinoleaf {

struct LoaderStats {
    int cacheHits = 0;            // shown straight from the cache
    int decodedHere = 0;          // decoded on the calling thread
    int waitedForBackground = 0;  // took a background decode that was running
    int decodedInBackground = 0;
};

// Waits until every background decode of every picture box has finished.
bool waitForImageWorkers(int timeoutMs);

class PreviewLoader {
public:
    // Results of requestRefit go to onReady, run on receiver's thread and only
    // while receiver (and this loader) exist.
    using ReadyHandler = std::function<void(const QString& path, QSize target, const PreviewResult&)>;

    PreviewLoader(std::shared_ptr<PreviewCache> cache, QObject* receiver, ReadyHandler onReady);
    // Drops what is queued; a decode already running finishes on its own and
    // only fills the cache.
    ~PreviewLoader();
    PreviewLoader(const PreviewLoader&) = delete;
    PreviewLoader& operator=(const PreviewLoader&) = delete;

    // Blocks until the preview is there. Also cancels a pending refit: the
    // caller is moving on to another picture.
    PreviewResult load(const QString& path, QSize target);
    std::optional<QImage> cached(const QString& path, QSize target) const;

    // Replaces the queued hints: the newest hint is what the user is about to see.
    void prefetch(const QStringList& paths, QSize target);
    // Decodes in the background and reports to onReady; replaces an earlier
    // refit that has not started.
    void requestRefit(const QString& path, QSize target);

    LoaderStats stats() const;
    // True when nothing is queued or running (before the timeout).
    bool waitForIdle(int timeoutMs) const;

    struct State;

private:
    void startRunnerLocked();

    std::shared_ptr<State> state_;
};

} // namespace kinoleaf
