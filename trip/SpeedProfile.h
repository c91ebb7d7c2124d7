#pragma once
// The speed of one clip over its play time, for the timeline strip: a point
// per sample with a position fix and a speed, at its moment in the clip, and
// the polylines that draw it at a given scale.
//
// Threads: a plain value; built and read on one thread at a time.
#include "trip/ClipTrack.h"
#include "trip/TimelineScale.h"

#include <cstdint>
#include <vector>

struct SpeedSample {
    int64_t timeMs = 0;
    float kmh = 0.0f;
};

struct ProfilePoint {
    double x = 0.0;
    double kmh = 0.0;
};

class SpeedProfile {
public:
    // Samples further apart than this break the line: the car had no fix.
    static constexpr int64_t kGapMs = 3000;
    // A speed beyond what the track figures accept is a broken record; it
    // is drawn at this height rather than flattening the rest.
    static constexpr float kMaxKmh = 300.0f;

    static SpeedProfile ofClip(const ClipTrack& clip);

    const std::vector<SpeedSample>& samples() const { return samples_; }
    double maxKmh() const { return maxKmh_; }
    // The time of the last sample; 0 without samples.
    int64_t lastMs() const { return samples_.empty() ? 0 : samples_.back().timeMs; }

    // The runs of the line. Each pixel column keeps at most its lowest and
    // highest sample, in time order, so an hour-long clip costs a drawing
    // no more than its width.
    std::vector<std::vector<ProfilePoint>> polylines(const TimelineScale& scale) const;

private:
    std::vector<SpeedSample> samples_;  // in time order
    double maxKmh_ = 0.0;
};
