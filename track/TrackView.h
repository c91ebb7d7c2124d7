#pragma once
// A view of the current clip's track: the map line and car marker, the
// G-sensor chart, and whatever view comes next. TrackViews tells each of
// them what changed; a view overrides what concerns it.
//
// Threads: UI thread only. Lifecycle: a view is registered with TrackViews
// once the window's controls exist and outlives it.
#include "track/TrackRecord.h"
#include "track/TrackStore.h"

#include <cstdint>
#include <string>

class TrackView {
public:
    virtual ~TrackView() = default;

    // A clip starts: nothing of the previous clip's track stays shown.
    virtual void StartTrack() {}
    // The clip that starts, right after StartTrack (views that follow the
    // playlist's trips need to know which clip it is).
    virtual void StartClip(const std::string& path) { (void)path; }
    // The store's pages from getShownPages() up to readyPages, which the
    // caller read once for every view.
    virtual void TakeNewPages(TrackStore& store, int32_t readyPages) {
        (void)store;
        (void)readyPages;
    }
    // The live record at the play position, or none at this moment.
    virtual void ShowLiveRecord(const TrackRecord& record) { (void)record; }
    virtual void LoseLivePosition() {}
    // The clip's playback stopped or ended.
    virtual void ResetTrack() {}
};
