#pragma once
// What a format reader got out of one clip: the layout it found, every
// sample in clip order, and what it had to leave out. A clip whose layout is
// recognised but cannot be read (an encrypted variant) names the layout and
// says why in `problem`, with no samples.
// A plain value; any thread once filled.
#include "telemetry/TelemetryFormat.h"
#include "telemetry/TelemetrySample.h"

#include <cstddef>
#include <string>
#include <vector>

struct ClipTelemetry {
    // At most this many samples are kept of one clip; more is a damaged clip.
    static constexpr size_t kSampleLimit = 2'000'000;
    // At most this many notes of dropped data are kept.
    static constexpr size_t kNoteLimit = 8;

    TelemetryFormat format = TelemetryFormat::None;
    std::vector<TelemetrySample> samples;
    std::string problem;             // why a recognised layout gave nothing
    std::vector<std::string> dropped;  // what was left out and why

    // Adds a sample unless the limit is reached (then says so once); false when full.
    bool add(const TelemetrySample& sample);
    // Keeps the note when there is room for it.
    void drop(std::string note);

    size_t fixes() const;
    bool hasGSensor() const;
    // The kind of the first sample's time, None without samples.
    TelemetryTime timeKind() const;
    // Once, what is wrong with the samples' order, "" when nothing is: a
    // moment in the clip before the one of the sample ahead of it, or a date
    // and time that runs back or jumps ahead of the clip by more than
    // kTimeJumpMs. Such samples are kept as the clip has them, never sorted
    // into another story nor dropped; this is what a list row can say.
    static constexpr int64_t kTimeJumpMs = 60'000;
    std::string orderProblem() const;
    void clear();
};
