#pragma once
// What one program holds of many clips' tracks at once: the player's trips
// and the tool's (trips, events, exports) keep at most kRecords records
// between them. A clip that would go beyond is kept thinned (every k-th
// record, at least kMinKept of them): enough to draw, seek and find most
// events; the figures are made from every record before.
// Plain functions; any thread.
#include "telemetry/TelemetrySample.h"
#include "track/TrackRecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace record_budget {

constexpr size_t kRecords = 5'000'000;
constexpr size_t kMinKept = 2000;

// Keeps every k-th record (and cue time) when there are more than `room`
// (at least kMinKept); returns k, 1 when all are kept.
size_t thin(std::vector<TrackRecord>& records, std::vector<int64_t>& timesMs, size_t room);
// The same for samples, which carry their moments in the clip.
size_t thin(std::vector<TelemetrySample>& samples, size_t room);

}  // namespace record_budget
