#pragma once
// Track records of a made-up drive on 2026-12-07 from 10:00:00.
#include "track/TrackRecord.h"

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

}  // namespace testing_support
