#pragma once
// Track records of a made-up drive on 2026-12-07 from 10:00:00, and the
// samples they stand for.
#include "track/TelemetryRecords.h"
#include "track/TrackRecord.h"

#include <cstdint>
#include <vector>

namespace testing_support {

// A valid record `seconds` after 10:00:00 at the given position and speed.
inline TrackRecord driveRecordAt(int seconds, double latitude, double longitude = 8.0, float speedKmh = 50.0f) {
    TrackRecord r;
    r.valid = true;
    r.year = 2026, r.month = 12, r.day = 7;
    r.hour = static_cast<uint8_t>(10 + seconds / 3600);
    r.minute = static_cast<uint8_t>(seconds / 60 % 60);
    r.second = static_cast<uint8_t>(seconds % 60);
    r.latitude = latitude;
    r.longitude = longitude;
    r.speed = speedKmh;
    return r;
}

// The same as a sample at clipMs, on the camera's clock.
inline TelemetrySample driveSampleAt(int seconds, int64_t clipMs, double latitude, double longitude = 8.0,
                                     float speedKmh = 50.0f) {
    return telemetrySampleOf(driveRecordAt(seconds, latitude, longitude, speedKmh), clipMs);
}

// Records as samples, each at its cue time (200 ms a record where there is none).
inline std::vector<TelemetrySample> samplesOf(const std::vector<TrackRecord>& records,
                                              const std::vector<int64_t>& timesMs) {
    std::vector<TelemetrySample> samples;
    for (size_t i = 0; i < records.size(); ++i)
        samples.push_back(
            telemetrySampleOf(records[i], i < timesMs.size() ? timesMs[i] : static_cast<int64_t>(i) * 200));
    return samples;
}

}  // namespace testing_support
