#pragma once
// Finds the events of one trip in its clips' samples:
// - G-sensor: each sample's G (a clip's camera text gives counts, which the
//   settings' scale reads); a sample without a G reading gives none. The
//   resting vector of a clip is the median of each axis, so a camera mounted
//   at an angle reads no acceleration at rest. The dynamic acceleration is
//   the difference from it; an impact is a dynamic peak of at least impactG.
//   The part across gravity (the car's push) held at least brakeG (accelG)
//   for holdSeconds is a braking (acceleration) when the GPS speed falls
//   (rises) meanwhile; without that it is a turn, and without a GPS speed it
//   is not classed.
// - GPS: the speed change of each fix against the fix at least a second
//   before it, held as long, is a braking or acceleration too. A change of
//   more than 1.5 G is a GPS glitch, not a car.
// - A car's own data (samples with vehicle channels): its acceleration is
//   the car's, not a mounted camera's, and X points forward. A deceleration
//   of at least brakeG held holdSeconds is a braking, timed where the brake
//   was applied: the first moment of the press that is on at (or last
//   before, within kBrakeLookBackMs) the peak; without a press at its
//   weighted middle. Such a clip's brakings come from this alone.
// Events of one kind closer than mergeSeconds (across clip boundaries, on the
// clock shown in the zone) are one event at its peak. A braking or
// acceleration is timed at the weighted middle of its strongest stretch, an
// impact at its peak. A sample's moment is its moment in the clip.
//
// Threads: a plain object with no state beyond its settings and zone; any thread.
#include "telemetry/DisplayZone.h"
#include "telemetry/TelemetrySample.h"
#include "trip/EventSettings.h"
#include "trip/TripEvent.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// One clip's samples as the events see them.
struct EventClipTrack {
    // gAsCounts: the G came from a camera's text as counts read on the chart's
    // scale, which the settings' scale reads instead.
    EventClipTrack(std::span<const TelemetrySample> clipSamples, bool gAsCounts = false)
        : samples(clipSamples), countsG(gAsCounts) {}
    std::span<const TelemetrySample> samples;  // every sample of the clip, in clip order
    bool countsG = false;
};

class EventDetector {
public:
    static constexpr double kStandardGravity = 9.80665;  // m/s² in one G
    static constexpr double kGpsGlitchG = 1.5;
    static constexpr int64_t kRecordPaceMs = 200;
    // How far before a braking's peak the car's brake press is looked for.
    static constexpr int64_t kBrakeLookBackMs = 3000;

    // zone: where the clips' UTC times are shown, so clips of the camera's
    // clock and of UTC meet on one time line.
    explicit EventDetector(const EventSettings& settings = {}, const DisplayZone& zone = {})
        : settings_(settings), zone_(zone) {}

    // The events of the clips of one trip, in trip order; sorted by clip and time.
    std::vector<TripEvent> detect(const std::vector<EventClipTrack>& clips) const;

private:
    struct Candidate {
        TripEvent event;
        int64_t tripMs = 0;  // on one time line for the whole trip
    };
    void detectClip(const EventClipTrack& clip, uint32_t index, int64_t offsetMs, std::vector<Candidate>& out) const;
    void detectCarBraking(const EventClipTrack& clip,
                          const std::function<void(TripEventKind, int64_t, double)>& add) const;

    // The G of a sample as the settings read it.
    double gOf(const EventClipTrack& clip, float g) const;

    EventSettings settings_;
    DisplayZone zone_;
};
