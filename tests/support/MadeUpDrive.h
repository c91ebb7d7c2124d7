#pragma once
// One made-up drive that every generated test clip carries, whatever its
// layout: known moments with position, speed, course and G-forces, so a test
// can compare what a reader got with what the car did.
#include <cstdint>
#include <vector>

namespace testing_support {

struct DriveMoment {
    int64_t clipMs = 0;  // from the clip's start
    int64_t utcMs = 0;   // milliseconds since 1970, UTC
    bool fix = true;
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0;
    double altitudeM = 0.0;
    double speedKmh = 0.0;
    double courseDeg = 0.0;
    double gx = 0.0, gy = 0.0, gz = 0.0;  // G; z carries gravity (about 1)
};

// 2026-12-07 10:00:00 UTC.
constexpr int64_t kDriveStartUtcMs = 1796637600000;

struct DriveSpec {
    double seconds = 60.0;
    int perSecond = 1;  // moments a second
    int64_t startUtcMs = kDriveStartUtcMs;
    // Where it starts: southern and western hemispheres are worth testing too.
    double startLatitude = 48.137;
    double startLongitude = 11.575;
    int noFixFirst = 0;  // the first n moments have no fix
};

// The drive: speed rises from 30 to 90 km/h and falls again, a braking from
// 90 to 20 km/h between 40 and 43 s (about 0.66 G), a 2.5 G bump at 50 s,
// the course turning slowly; positions follow speed and course.
std::vector<DriveMoment> madeUpDrive(const DriveSpec& spec = {});

}  // namespace testing_support
