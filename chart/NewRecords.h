#pragma once
// The records a chart feed has not drawn yet: those of the store's pages
// from getShownPages() up to `readyPages` (pages below it are published, so
// complete), each with its moment on the clip's time axis. Shared by the
// feeds so they walk the pages alike; the caller holds the chart's series
// lock. UI thread.
#include "chart/ClipTimeline.h"
#include "track/TrackStore.h"

#include <algorithm>
#include <cstdint>

template <class Visit>  // Visit(const TrackRecord&, double seconds)
void forEachNewRecord(const TrackStore& store, int32_t readyPages, ClipTimeline& timeline, Visit&& visit) {
    const int32_t end = std::min(readyPages, store.getReadyPages());
    for (int32_t index = store.getShownPages(); index < end; ++index) {
        const TrackPage* page = store.getPage(index);
        if (!page) continue;
        const TrackRecord* records = page->records();
        for (int32_t i = 0, n = page->count(); i < n; ++i) visit(records[i], timeline.place(records[i]));
    }
}
