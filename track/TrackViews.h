#pragma once
// The one place that tells the track views what changed, in the order they
// were added. The handler sequences call it; a new view (a trip layer, a
// timeline) is added here and needs nothing else of the main window.
//
// Threads: UI thread only. Lifecycle: owned by the window's view side; the
// views it holds outlive it.
#include "track/TrackView.h"

#include <string>
#include <vector>

class TrackViews {
public:
    void Add(TrackView& view) { views_.push_back(&view); }

    void StartTrack();
    // StartTrack, then each view hears which clip starts.
    void StartTrack(const std::string& clipPath);
    // Reads the store's ready pages once, hands every view the same range and
    // then marks it shown, so no page is skipped however far the extraction
    // has got meanwhile.
    void TakeNewPages(TrackStore& store);
    void ShowLiveRecord(const TrackRecord& record);
    void LoseLivePosition();
    void ResetTrack();

private:
    std::vector<TrackView*> views_;
};
