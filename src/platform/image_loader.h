#pragma once
// Gets previews for one picture box: the page to show now and the pages
// likely to come next (on a background thread, into the cache).
//
// The page to show is either loaded on the calling thread (load) or decoded
// in the background and reported back (show). Only the latest request of
// either kind counts: a newer one drops a background decode still waiting
// for its turn and cancels one already running, and drops its result, so
// paging quickly never waits on pages already left behind. A page asked for
// while its prefetch is queued or running takes that decode over, never
// decodes it twice.
//
// Background decodes of every picture box share imageDecodeSlots() threads;
// a show goes ahead of every prefetch waiting, each box hands over one
// prefetch at a time, and none while its show decodes, so a box has at most
// its newest page or one neighbour decoding (besides a stale decode winding
// down), the newest page's decode first.

#include "platform/preview_cache.h"
#include "platform/preview_decoder.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kinoleaf {

struct LoaderStats {
    int cacheHits = 0;            // shown straight from the cache
    int decodedHere = 0;          // decoded on the calling thread
    int waitedForBackground = 0;  // a load took over a background decode that was running
    int decodedInBackground = 0;  // background decodes that ran to the end
    int prefetchesStarted = 0;    // hints whose decode began
    int showsStarted = 0;         // background decodes asked for by a show
    int showsAdopted = 0;         // shows that took over a queued or running prefetch of their picture
    int cancelled = 0;            // background decodes given up, their result dropped
    int dropped = 0;              // of those, the ones given up before they began
    int mostRunning = 0;          // the most background decodes of this loader running at once
};

// How many background decodes run at once, over every picture box: one a
// core and never more than two, as a progressive 12 MP JPEG holds some
// 72 MB while it decodes.
int imageDecodeSlots();
// Waits until every background decode of every picture box has finished.
bool waitForImageWorkers(int timeoutMs);
// For tests: while held, no background decode begins; requests wait in the
// queue (and stale ones leave it) as they do while every slot is busy.
void holdImageWork(bool held);

class PreviewLoader {
public:
    // Results of show go to onReady, run on receiver's thread and only while
    // receiver (and this loader) exist and the show is still the latest request.
    using ReadyHandler = std::function<void(const QString& path, QSize target, const PreviewResult&)>;

    PreviewLoader(std::shared_ptr<PreviewCache> cache, QObject* receiver, ReadyHandler onReady);
    // Drops what is queued and cancels the decode of a show. A prefetch
    // already running finishes on its own and only fills the cache.
    ~PreviewLoader();
    PreviewLoader(const PreviewLoader&) = delete;
    PreviewLoader& operator=(const PreviewLoader&) = delete;

    // Blocks until the preview is there. Supersedes an earlier show.
    PreviewResult load(const QString& path, QSize target);
    // Supersedes earlier requests. Returns the result at once when the
    // preview is cached (ok) or the file can't be decoded at all, as
    // probeImage tells (not ok). Otherwise returns nothing and the result
    // comes to onReady: from a decode that starts as soon as a slot is free,
    // or from a queued or running prefetch of the same picture.
    std::optional<PreviewResult> show(const QString& path, QSize target);
    // Drops the latest show: nothing is reported for it.
    void cancelShow();
    std::optional<CachedPreview> cached(const QString& path, QSize target) const;

    // Replaces the queued hints: the first hint is what the user is about to
    // see, decoded first; the others follow one at a time. A prefetch no
    // longer hinted (and not taken over by a show) is dropped, or cancelled
    // when it has begun.
    void prefetch(const QStringList& paths, QSize target);

    LoaderStats stats() const;
    // True when nothing is queued or running (before the timeout), cancelled
    // decodes still winding down included.
    bool waitForIdle(int timeoutMs) const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace kinoleaf
