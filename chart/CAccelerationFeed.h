#pragma once
// CAccelerationFeed: fills the chart "accChart" with the three G-sensor axes
// of the current clip's track, over the time of the clip (ClipTimeline places
// every record, valid or not; only valid records with a G-sensor reading add
// points, and a valid one without a reading after them adds a gap).
// The chart shows everything extracted so far. Its time axis starts at 16 s
// for every clip and grows to the clip's length; the G axis only widens. A
// clip whose records hold no G-sensor reading makes the chart say so.
//
// Threads: Setup runs once on the main window's start-up thread;
// AppendNewPages and Reset run on the UI thread. Every change of the chart's
// series and ranges is made under the chart's series lock, so the start-up
// thread never races a paint or the UI thread.
// Lifecycle: a member of the view manager, set up once with the chart, then
// per clip: Reset when the views are reset, AppendNewPages per ready batch.
// The chart must outlive the calls made with it.
#include "chart/ClipTimeline.h"
#include "track/TrackView.h"

#include <atomic>
#include <cstdint>
#include <limits>

class CTreskChartUI;

// As a track view: a starting clip and a stopped or ended one empty the
// series; new pages are charted.
class CAccelerationFeed final : public TrackView {
public:
    static constexpr double kYFill = 0.8;
    // The value of a moment without a G-sensor reading: the line breaks there.
    static constexpr double kNoReading = std::numeric_limits<double>::quiet_NaN();

    // Configures the chart (unit "G", white axis and frame, Y range
    // [yMin, yMax], X range 0..16 s, three series) and marks it configured.
    // Nothing happens without a chart.
    void Setup(CTreskChartUI* chart, double yMin, double yMax);

    // Charts the records of the store's pages from getShownPages() up to
    // `readyPages` (pages below it are published), then fits the X and Y
    // ranges once. Does not move shownPages: the caller sets it to the same
    // readyPages it passed here and to the map, so no page is skipped.
    void AppendNewPages(const TrackStore& store, int32_t readyPages);

    // Empties the three series, restarts the time at 0 and the time axis at
    // 16 s; the G range stays.
    void Reset();

    void StartTrack() override { Reset(); }
    void TakeNewPages(TrackStore& store, int32_t readyPages) override { AppendNewPages(store, readyPages); }
    void ResetTrack() override { Reset(); }

    // Time the next record gets, in seconds. UI thread.
    double NextTime() const { return timeline_.next(); }

private:
    std::atomic<CTreskChartUI*> chart_{nullptr};
    ClipTimeline timeline_;     // UI thread only
    bool sawRecords_ = false;   // UI thread only
    bool sawReading_ = false;   // UI thread only
};
