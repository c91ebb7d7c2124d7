#pragma once
// The map as a track view: the clip's line drawn batch by batch, the car
// marker at the live record, and both cleared when a clip starts.
//
// Threads: UI thread only. Lifecycle: created with the view manager next to
// the map display it drives; given the window's browser control once the
// controls are looked up. Without a browser only the display's state moves.
#include "map/CMapDisplay.h"
#include "map/CWebBrowserUI.h"
#include "track/TrackView.h"

#include <QPointer>

class MapTrackView final : public TrackView {
public:
    explicit MapTrackView(CMapDisplay& display) : display_(display) {}

    void SetBrowser(CWebBrowserUI* browser) { browser_ = browser; }

    void StartTrack() override;
    void TakeNewPages(TrackStore& store, int32_t readyPages) override;
    void ShowLiveRecord(const TrackRecord& record) override;
    // Without a live position the car leaves the page, so nothing stale reads as live.
    void LoseLivePosition() override { removeMarker(); }
    void ResetTrack() override { removeMarker(); }

private:
    void removeMarker();

    CMapDisplay& display_;
    QPointer<CWebBrowserUI> browser_;
};
