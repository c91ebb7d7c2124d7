#pragma once
// CVehicleFeed: a car's speed (km/h), accelerator pedal (%) and brake (drawn
// as 100 while applied, 0 while not) over the clip's time, as three series
// of the chart "accChart" on a scale of their own (slot 1, from 0 to a
// round figure above 100 and the fastest speed). Records are placed on the time axis as the G-sensor
// feed places them; a moment without the car's channels after some is a gap.
// Which series the chart draws (G-sensor, car, or both) is set with Show():
// a hidden series keeps its points and draws no line; the labelled scale is
// the G's while they are drawn, else the car's (numbers without a unit).
//
// Threads: Setup once on the main window's start-up thread; the rest on the
// UI thread. Every change of the chart's series is made under its series lock.
// Lifecycle: a member of the view manager, set up after the G-sensor feed,
// then per clip: Reset, AppendNewPages per ready batch. The chart must
// outlive the calls made with it.
#include "chart/ChartShows.h"
#include "chart/ClipTimeline.h"
#include "track/TrackView.h"

#include <atomic>

class CTreskChartUI;

class CVehicleFeed final : public TrackView {
public:
    static constexpr int kSlot = 1;
    static constexpr double kBrakeOn = 100.0;

    void Setup(CTreskChartUI* chart, ChartShows shows);
    // Draws the series the choice names and hides the others (the G-sensor's too).
    void Show(ChartShows shows);
    ChartShows Shows() const { return shows_.load(); }

    void AppendNewPages(const TrackStore& store, int32_t readyPages);
    void Reset();

    void StartTrack() override { Reset(); }
    void TakeNewPages(TrackStore& store, int32_t readyPages) override { AppendNewPages(store, readyPages); }
    void ResetTrack() override { Reset(); }

private:
    std::atomic<CTreskChartUI*> chart_{nullptr};
    ClipTimeline timeline_;  // UI thread only
    double top_ = kBrakeOn;  // UI thread only: the highest value drawn
    std::atomic<ChartShows> shows_{ChartShows::GSensor};
};
