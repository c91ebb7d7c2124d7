#pragma once
// CAMM packets (camera motion metadata) for tests: a GPS fix (type 6) and an
// accelerometer reading (type 3), little-endian as cameras write them.
// Plain functions; any thread.
#include "support/Bytes.h"

#include <cstdint>
#include <string>

namespace testing_support {

constexpr double kGravity = 9.80665;

// GPS seconds of a UTC moment in 2026 (18 leap seconds).
inline double gpsSeconds(int64_t utcMs) {
    return static_cast<double>(utcMs) / 1000.0 - 315964800.0 + 18.0;
}

inline std::string cammPacket(uint16_t type, const std::string& payload) {
    using namespace bytes;
    std::string p;
    u16le(p, 0);
    u16le(p, type);
    return p + payload;
}

inline std::string cammGps(double seconds, int fix, double lat, double lon, float east, float north) {
    using namespace bytes;
    std::string p;
    f64le(p, seconds);
    i32le(p, fix);
    f64le(p, lat);
    f64le(p, lon);
    for (float v : {500.0f, 2.0f, 3.0f, east, north, 0.0f, 0.1f}) f32le(p, v);
    return cammPacket(6, p);
}

inline std::string cammAccel(float x, float y, float z) {
    using namespace bytes;
    std::string p;
    for (float v : {x, y, z}) f32le(p, v);
    return cammPacket(3, p);
}

}  // namespace testing_support
