#include "map/MapTrackView.h"

void MapTrackView::StartTrack() {
    if (browser_) {
        display_.clearTrack(*browser_);
    } else {
        display_.resetMarker();
    }
}

void MapTrackView::TakeNewPages(TrackStore& store, int32_t readyPages) {
    if (browser_) display_.drawBatch(*browser_, store, readyPages);
}

void MapTrackView::ShowLiveRecord(const TrackRecord& record) {
    if (browser_) display_.moveMarker(*browser_, record.longitude, record.latitude);
}

void MapTrackView::removeMarker() {
    if (browser_) {
        display_.removeMarker(*browser_);
    } else {
        display_.resetMarker();
    }
}
