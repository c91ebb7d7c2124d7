#pragma once
// CAccelerationFeed: fills the chart "accChart" with the three G-sensor axes
// of the current clip's track, over the time of the clip (0.2 s a record,
// counted for every record, valid or not; only valid records with a G-sensor
// reading add points, and a valid one without a reading after them adds a
// gap).
// The chart shows everything extracted so far; its ranges only grow, so a
// short clip after a long one keeps the long one's time axis.
//
// Threads: Setup runs once on the main window's start-up thread;
// AppendNewPages and Reset run on the UI thread. Every change of the chart's
// series and ranges is made under the chart's series lock, so the start-up
// thread never races a paint or the UI thread.
// Lifecycle: a member of the view manager, set up once with the chart, then
// per clip: Reset when the views are reset, AppendNewPages per ready batch.
// The chart must outlive the calls made with it.
#include "track/TrackView.h"

#include <atomic>
#include <cstdint>
#include <limits>

class CTreskChartUI;

// As a track view: a starting clip and a stopped or ended one empty the
// series; new pages are charted.
class CAccelerationFeed final : public TrackView {
public:
    static constexpr double kSecondsPerRecord = 0.2;
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

    // Empties the three series and restarts the time at 0; the ranges stay.
    void Reset();

    void StartTrack() override { Reset(); }
    void TakeNewPages(TrackStore& store, int32_t readyPages) override { AppendNewPages(store, readyPages); }
    void ResetTrack() override { Reset(); }

    // Time the next record gets, in seconds. UI thread.
    double NextTime() const { return nextTime_; }

private:
    std::atomic<CTreskChartUI*> chart_{nullptr};
    double nextTime_ = 0.0;  // UI thread only
};
