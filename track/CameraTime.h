#pragma once
// The camera's date and time of a record as seconds since 1970 (the camera
// clock, no time zone), when it is a real moment: month 1-12, a day of that
// month, hour < 24, minute and second < 60, year 1970-9999. The calendar
// itself is platform/CivilTime. Plain functions.
#include "platform/CivilTime.h"
#include "track/TrackRecord.h"

#include <cstdint>
#include <string>

bool cameraSeconds(const TrackRecord& record, int64_t& seconds);

// Sets the record's date and time to seconds since 1970; false (record
// untouched) outside the years 1970-9999.
bool setCameraSeconds(int64_t seconds, TrackRecord& record);

using platform::formatSeconds;
