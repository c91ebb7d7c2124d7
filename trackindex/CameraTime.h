#pragma once
// The camera's date and time of a record as seconds since 1970 (the camera
// clock, no time zone), when it is a real moment: month 1-12, a day of that
// month, hour < 24, minute and second < 60, year 1970-9999. Plain functions.
#include "track/TrackRecord.h"

#include <cstdint>
#include <string>

bool cameraSeconds(const TrackRecord& record, int64_t& seconds);

// Sets the record's date and time to seconds since 1970; false (record
// untouched) outside the years 1970-9999.
bool setCameraSeconds(int64_t seconds, TrackRecord& record);

// "YYYY-MM-DD hh:mm:ss", or "YYYY-MM-DDThh:mm:ssZ" with iso, of seconds since 1970.
std::string formatSeconds(int64_t seconds, bool iso);
