// The camera clock's offset from GPS UTC: the median of each sample's
// difference with its spread, from GPS samples with a fix only, and nothing
// where a clip lacks either clock.
#include "evidence/CameraClockOffset.h"

#include <gtest/gtest.h>

namespace {

TelemetrySample sample(int64_t clipMs, int64_t utcMs, TelemetryTime kind = TelemetryTime::Utc, bool fix = true) {
    TelemetrySample s;
    s.clipMs = clipMs;
    s.timeMs = utcMs;
    s.timeKind = kind;
    s.fix = fix;
    return s;
}

}  // namespace

TEST(CameraClockOffset, MedianAndSpreadOfTheGpsSamplesAgainstTheCreationTime) {
    constexpr int64_t kUtc = 1'796'637'600;  // 2026-12-07 10:00:00
    std::vector<double> differences;
    // Camera an hour and two seconds ahead; one reading late by a second, one early by half.
    CameraClockOffset::collect(kUtc + 3602, {sample(0, kUtc * 1000), sample(1000, kUtc * 1000 + 1000),
                                             sample(2000, kUtc * 1000 + 1000), sample(3000, kUtc * 1000 + 3500),
                                             // neither counts: no fix, and the camera's own time
                                             sample(4000, 0, TelemetryTime::Utc, false),
                                             sample(5000, kUtc * 1000, TelemetryTime::Camera)},
                               differences);
    const CameraClockOffset offset = CameraClockOffset::of(differences);
    ASSERT_TRUE(offset.known);
    EXPECT_EQ(offset.samples, 4u);
    EXPECT_DOUBLE_EQ(offset.medianSeconds, 3602.0);  // 3601.5 3602 3602 3603: the middle two
    EXPECT_DOUBLE_EQ(offset.minSeconds, 3601.5);
    EXPECT_DOUBLE_EQ(offset.maxSeconds, 3603.0);

    // A camera behind UTC, an odd count: the middle one.
    differences.clear();
    CameraClockOffset::collect(kUtc - 90, {sample(0, kUtc * 1000), sample(1000, kUtc * 1000 + 1000),
                                           sample(2000, kUtc * 1000 + 7000)},
                               differences);
    EXPECT_DOUBLE_EQ(CameraClockOffset::of(differences).medianSeconds, -90.0);
    EXPECT_DOUBLE_EQ(CameraClockOffset::of(differences).minSeconds, -95.0);

    // No creation time, or no GPS time: nothing measured.
    differences.clear();
    CameraClockOffset::collect(0, {sample(0, kUtc * 1000)}, differences);
    CameraClockOffset::collect(kUtc, {sample(0, kUtc * 1000, TelemetryTime::Camera)}, differences);
    EXPECT_FALSE(CameraClockOffset::of(differences).known);
}
