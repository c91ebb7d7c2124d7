#include "track/TrackViews.h"

void TrackViews::StartTrack() {
    for (TrackView* view : views_) view->StartTrack();
}

void TrackViews::StartTrack(const std::string& clipPath) {
    StartTrack();
    for (TrackView* view : views_) view->StartClip(clipPath);
}

void TrackViews::TakeNewPages(TrackStore& store) {
    const int32_t ready = store.getReadyPages();
    for (TrackView* view : views_) view->TakeNewPages(store, ready);
    store.setShownPages(ready);
}

void TrackViews::ShowLiveRecord(const TrackRecord& record) {
    for (TrackView* view : views_) view->ShowLiveRecord(record);
}

void TrackViews::LoseLivePosition() {
    for (TrackView* view : views_) view->LoseLivePosition();
}

void TrackViews::ResetTrack() {
    for (TrackView* view : views_) view->ResetTrack();
}
