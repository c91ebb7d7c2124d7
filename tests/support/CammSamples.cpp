// Camera motion metadata samples: a GPS packet (type 6) and an acceleration
// packet (type 3), little-endian, for every moment.
#include "support/Bytes.h"
#include "support/TelemetryClips.h"

#include <cmath>

namespace testing_support {

using namespace bytes;

namespace {

constexpr double kGravity = 9.80665;
constexpr double kPi = 3.14159265358979323846;
constexpr double kGpsEpochUnixSeconds = 315964800.0;  // 1980-01-06
constexpr double kLeapSeconds = 18.0;

}  // namespace

std::string cammSample(const DriveMoment& m) {
    std::string s;
    u16le(s, 0);
    u16le(s, 6);
    f64le(s, static_cast<double>(m.utcMs) / 1000.0 - kGpsEpochUnixSeconds + kLeapSeconds);
    i32le(s, m.fix ? 3 : 0);
    f64le(s, m.fix ? m.latitude : 0.0);
    f64le(s, m.fix ? m.longitude : 0.0);
    const double mps = m.fix ? m.speedKmh / 3.6 : 0.0;
    const double course = m.courseDeg * kPi / 180.0;
    for (double v : {m.fix ? m.altitudeM : 0.0, 2.5, 4.0, mps * std::sin(course), mps * std::cos(course), 0.0, 0.3})
        f32le(s, static_cast<float>(v));
    u16le(s, 0);
    u16le(s, 3);
    for (double g : {m.gx, m.gy, m.gz}) f32le(s, static_cast<float>(g * kGravity));
    return s;
}

}  // namespace testing_support
