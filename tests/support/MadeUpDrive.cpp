#include "support/MadeUpDrive.h"

#include <algorithm>
#include <cmath>

namespace testing_support {

namespace {

constexpr double kEarthRadiusM = 6371008.8;
constexpr double kGravity = 9.80665;
constexpr double kPi = 3.14159265358979323846;
constexpr int64_t kStepMs = 10;  // integration step: the same track whatever the moments a second

double speedAt(double t) {
    if (t < 20.0) return 30.0 + 3.0 * t;  // 30 -> 90 km/h
    if (t < 40.0) return 90.0;
    if (t < 43.0) return 90.0 - (t - 40.0) * 70.0 / 3.0;  // braking to 20 km/h
    return std::min(20.0 + (t - 43.0) * 2.0, 50.0);
}

// km/h per second as G along the car; the braking gives about -0.66.
double longitudinalG(double t) {
    if (t < 20.0) return 3.0 / 3.6 / kGravity;
    if (t < 40.0) return 0.0;
    if (t < 43.0) return -70.0 / 3.0 / 3.6 / kGravity;
    return t < 58.0 ? 2.0 / 3.6 / kGravity : 0.0;
}

constexpr double kTurnDegPerS = 2.0;
double courseAt(double t) {
    return std::fmod(30.0 + kTurnDegPerS * t, 360.0);
}

}  // namespace

std::vector<DriveMoment> madeUpDrive(const DriveSpec& spec) {
    std::vector<DriveMoment> drive;
    const int perSecond = std::max(1, spec.perSecond);
    const auto count = static_cast<int64_t>(std::floor(spec.seconds * perSecond + 1e-9));
    double lat = spec.startLatitude, lon = spec.startLongitude;
    int64_t integratedMs = 0;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t clipMs = i * 1000 / perSecond;
        // Positions follow speed and course in small steps, so every rate of
        // moments lies on the same road.
        for (; integratedMs < clipMs; integratedMs += kStepMs) {
            const double t = static_cast<double>(integratedMs) / 1000.0;
            const double metres = speedAt(t) / 3.6 * (kStepMs / 1000.0);
            const double course = courseAt(t) * kPi / 180.0;
            lat += metres * std::cos(course) / kEarthRadiusM * 180.0 / kPi;
            lon += metres * std::sin(course) / (kEarthRadiusM * std::cos(lat * kPi / 180.0)) * 180.0 / kPi;
        }
        const double t = static_cast<double>(clipMs) / 1000.0;
        DriveMoment m;
        m.clipMs = clipMs;
        m.utcMs = spec.startUtcMs + clipMs;
        m.fix = i >= spec.noFixFirst;
        m.latitude = lat;
        m.longitude = lon;
        m.altitudeM = 520.0 + 5.0 * std::sin(t / 20.0);
        m.speedKmh = speedAt(t);
        m.courseDeg = courseAt(t);
        m.gx = longitudinalG(t);
        m.gy = speedAt(t) / 3.6 * kTurnDegPerS * kPi / 180.0 / kGravity;  // the curve's pull
        m.gz = 1.0 + (clipMs == 50000 ? 2.5 : 0.0);
        drive.push_back(m);
    }
    return drive;
}

}  // namespace testing_support
