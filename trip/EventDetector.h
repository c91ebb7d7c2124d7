#pragma once
// Finds the events of one trip in its clips' records:
// - G-sensor: each value becomes G by the settings' scale; the resting vector
//   of a clip is the median of each axis, so a camera mounted at an angle
//   reads no acceleration at rest. The dynamic acceleration is the
//   difference from it; an impact is a dynamic peak of at least impactG. The
//   part across gravity (the car's push) held at least brakeG (accelG) for
//   holdSeconds is a braking (acceleration) when the GPS speed falls (rises)
//   meanwhile; without that it is a turn, and without a GPS speed it is not
//   classed.
// - GPS: the speed change of each fix against the fix at least a second
//   before it, held as long, is a braking or acceleration too. A change of
//   more than 1.5 G is a GPS glitch, not a car.
// - A car's own data (records with vehicle channels): its acceleration is
//   the car's, not a mounted camera's, and X points forward. A deceleration
//   of at least brakeG held holdSeconds is a braking, timed where the brake
//   was applied: the first moment of the press that is on at (or last
//   before, within kBrakeLookBackMs) the peak; without a press at its
//   weighted middle. Such a clip's brakings come from this alone.
// Events of one kind closer than mergeSeconds (across clip boundaries, on the
// camera clock) are one event at its peak. A braking or acceleration is timed
// at the weighted middle of its strongest stretch, an impact at its peak.
// A record's moment is its cue start, or 0.2 s a record when unknown.
//
// Threads: a plain object with no state beyond its settings; any thread.
#include "track/TrackRecord.h"
#include "trip/EventSettings.h"
#include "trip/TripEvent.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

struct EventClipTrack {
    std::span<const TrackRecord> records;  // every record of the clip, in order
    std::span<const int64_t> timesMs;      // each record's cue start; empty when unknown
};

class EventDetector {
public:
    static constexpr double kStandardGravity = 9.80665;  // m/s² in one G
    static constexpr double kGpsGlitchG = 1.5;
    static constexpr int64_t kRecordPaceMs = 200;
    // How far before a braking's peak the car's brake press is looked for.
    static constexpr int64_t kBrakeLookBackMs = 3000;

    explicit EventDetector(const EventSettings& settings = {}) : settings_(settings) {}

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

    EventSettings settings_;
};
