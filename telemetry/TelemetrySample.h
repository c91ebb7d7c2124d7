#pragma once
// One moment of a clip's telemetry, whatever camera wrote it: when it was
// (the moment in the clip, and a date and time of the kind the data gives),
// where the car was (WGS-84 degrees), how fast (km/h) and where it headed,
// its altitude, and the G-sensor's three axes in G. Every format reader
// produces these; a field a format does not give stays unset and its flag
// false: a consumer shows or writes nothing for it, never a 0. A further
// channel (heading, a vehicle's readings) is one more flagged field, read by
// the consumers that show it; the others never see it.
// A plain value; any thread.
#include <cstdint>

// What a sample's date and time is.
enum class TelemetryTime : uint8_t {
    None = 0,      // no date and time at all
    Utc = 1,       // UTC, from the data (GPS)
    Camera = 2,    // the camera's own clock: local time as it was set, no zone
    Creation = 3,  // the clip's creation time plus the moment in the clip
};

struct TelemetrySample {
    int64_t clipMs = 0;  // the moment in the clip, from its start
    int64_t timeMs = 0;  // milliseconds since 1970 of the kind timeKind says
    TelemetryTime timeKind = TelemetryTime::None;

    bool fix = false;  // the position is a real GPS fix
    double latitude = 0.0;   // degrees, north positive (meaningful with fix)
    double longitude = 0.0;  // degrees, east positive

    bool hasSpeed = false;
    float speedKmh = 0.0f;
    bool hasCourse = false;
    float courseDeg = 0.0f;  // 0 north, clockwise

    bool hasAltitude = false;
    float altitudeM = 0.0f;  // metres above mean sea level

    bool hasAccel = false;
    float accelX = 0.0f;  // G, as the camera's axes lie
    float accelY = 0.0f;
    float accelZ = 0.0f;
};

// A position that is a place on earth: finite, within +-90 / +-180, and not
// exactly 0/0 (what cameras write when they have no fix).
bool plausiblePosition(double latitude, double longitude);
