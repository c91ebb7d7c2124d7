// Trips and their figures: channels from file names, the 120 s rule on the
// clock shown, which records count as fixes, and the distance across clip
// boundaries.
#include "support/DriveRecords.h"
#include "track/CameraTime.h"
#include "trackindex/TripBuilder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TrackRecord at(int seconds, double latitude, double longitude = 8.0, float speed = 50.0f) {
    return testing_support::driveRecordAt(seconds, latitude, longitude, speed);
}

TelemetrySample sampleAt(int seconds, double latitude, double longitude = 8.0) {
    return testing_support::driveSampleAt(seconds, int64_t{seconds} * 1000, latitude, longitude);
}

constexpr double kMetresPerDegree = TrackFigures::EARTH_RADIUS_M * 3.14159265358979323846 / 180.0;

}  // namespace

TEST(TripBuilder, ChannelsComeFromTheTableOfCameraNames) {
    EXPECT_EQ(clipChannel("2026_1207_101500_F.MP4"), "F");
    EXPECT_EQ(clipChannel("2026_1207_091500_0002F.MP4"), "F");
    EXPECT_EQ(clipChannel("/some/folder_x/2026_1207_101500_R.mp4"), "R");
    EXPECT_EQ(clipChannel("clip.mp4"), "");
    EXPECT_EQ(clipChannel("a_b_"), "");
    EXPECT_EQ(clipChannel("x_IN.tar.mp4"), "");
}

TEST(TripBuilder, ClipsWithinTwoMinutesMakeOneTripPerChannel) {
    // Front: two clips 60 s apart, then one 10 minutes later; rear: one clip;
    // a clip whose texts have no real time joins nothing.
    const double step = 10.0 / kMetresPerDegree;  // 10 m a second
    std::vector<TripClip> clips(5);
    clips[0].name = "2026_1207_100100_F.MP4";  // given out of order
    for (int s = 60; s < 120; ++s) clips[0].samples.push_back(sampleAt(s, s * step));
    clips[1].name = "2026_1207_100000_F.MP4";
    for (int s = 0; s < 60; ++s) clips[1].samples.push_back(sampleAt(s, s * step));
    clips[2].name = "2026_1207_101100_F.MP4";
    for (int s = 660; s < 670; ++s) clips[2].samples.push_back(sampleAt(s, 1.0));
    clips[3].name = "2026_1207_100000_R.MP4";
    clips[3].samples = {sampleAt(0, 0.0, 0.0), sampleAt(5, 0.0, 0.0)};  // no fix at all
    clips[4].name = "broken_F.MP4";
    TrackRecord month13 = at(0, 1.0);
    month13.month = 13;
    clips[4].samples = {telemetrySampleOf(month13, 0), TelemetrySample{}};

    const std::vector<Trip> trips = buildTrips(clips, DisplayZone::utc());
    ASSERT_EQ(trips.size(), 3u);
    EXPECT_EQ(trips[0].channel, "F");
    EXPECT_EQ(trips[0].clips, (std::vector<size_t>{1, 0}));
    const TrackFigures& drive = trips[0].figures;
    EXPECT_EQ(formatSeconds(drive.startSeconds(), false), "2026-12-07 10:00:00");
    EXPECT_EQ(drive.durationSeconds(), 119);
    // 119 steps of 10 m, the one across the clip boundary included.
    EXPECT_NEAR(drive.distanceMetres(), 1190.0, 0.01);
    EXPECT_NEAR(drive.averageSpeedKmh(), 36.0, 0.01);
    EXPECT_DOUBLE_EQ(drive.maxSpeedKmh(), 50.0);
    EXPECT_EQ(trips[1].clips, (std::vector<size_t>{2}));
    EXPECT_EQ(trips[2].channel, "R");
    EXPECT_EQ(trips[2].figures.durationSeconds(), 5);
    EXPECT_EQ(trips[2].figures.distanceMetres(), 0.0);
    EXPECT_EQ(trips[2].figures.maxSpeedKmh(), 0.0);  // no fix, no speed

    // A UTC clip meets a camera clock's in the zone the times are shown in:
    // 09:01 UTC follows 10:00:59 an hour east of Greenwich.
    std::vector<TripClip> mixed(2);
    mixed[0] = clips[1];
    mixed[1].name = "2026_1207_100100_F.MP4";
    TelemetrySample utc = sampleAt(0, 1.0);
    utc.timeMs = clips[1].samples.front().timeMs + (60 - 3600) * 1000;
    utc.timeKind = TelemetryTime::Utc;
    mixed[1].samples = {utc};
    EXPECT_EQ(buildTrips(mixed, DisplayZone::fixed(3600)).size(), 1u);
    EXPECT_EQ(buildTrips(mixed, DisplayZone::utc()).size(), 2u);
}

TEST(TrackFigures, JumpsAndPositionsOutOfRangeAreNoFixes) {
    TrackFigures f;
    const double step = 20.0 / kMetresPerDegree;
    f.add(at(0, 0.0));
    f.add(at(1, step));
    f.add(at(1, step * 2));          // the same camera second: taken as one second apart
    f.add(at(2, 1.0, 8.0, 900.0f));  // 110 km in a second: a glitch
    f.add(at(3, 95.0));              // off the globe
    f.add(at(4, 0.0, 0.0));          // the camera's "no fix"
    f.add(at(5, step * 3));
    EXPECT_NEAR(f.distanceMetres(), 60.0, 0.01);
    EXPECT_EQ(f.fixes(), 4);
    EXPECT_DOUBLE_EQ(f.maxSpeedKmh(), 50.0);
    EXPECT_EQ(f.durationSeconds(), 5);

    // Ten texts a second share a camera second; their cues tell the time.
    TrackFigures tenHz;
    const double metre = 1.0 / kMetresPerDegree;
    for (int i = 0; i < 10; ++i) tenHz.add(at(0, i * 5 * metre), i * 100);  // 50 m/s: 180 km/h
    tenHz.add(at(1, 45 * metre + 10.0 * metre), 1000);                      // 100 m/s: 360 km/h
    tenHz.add(at(1, 50 * metre), 1000);
    EXPECT_NEAR(tenHz.distanceMetres(), 50.0, 0.01);
    EXPECT_EQ(tenHz.fixes(), 11);

    int64_t seconds = 0;
    TrackRecord r = at(0, 1.0);
    r.day = 31, r.month = 11;
    EXPECT_FALSE(cameraSeconds(r, seconds));
    r.month = 2, r.day = 29, r.year = 2028;
    EXPECT_TRUE(cameraSeconds(r, seconds));
    EXPECT_EQ(formatSeconds(seconds, true), "2028-02-29T10:00:00Z");
}

// The camera was off while the car was carried 50 km in 6 s (a ferry, a
// clip of another drive named in between): the jump is no distance driven.
TEST(TrackFigures, AJumpBetweenClipsIsLeftOutOfTheDistanceAndCounted) {
    const double step = 10.0 / kMetresPerDegree;
    const double far = 50000.0 / kMetresPerDegree;
    TrackFigures f;
    f.startClip();
    for (int s = 0; s < 10; ++s) f.add(at(s, s * step));
    f.startClip();
    for (int s = 15; s < 25; ++s) f.add(at(s, far + s * step));
    EXPECT_NEAR(f.distanceMetres(), 180.0, 0.01);
    EXPECT_EQ(f.jumps(), 1);
    EXPECT_NEAR(f.jumpMetres(), 50000.0 + 60.0, 0.01);
    EXPECT_EQ(f.fixes(), 20);

    // Each clip's own figures appended in order give the same, without its records held.
    TrackFigures first, second, appended;
    for (int s = 0; s < 10; ++s) first.add(at(s, s * step));
    for (int s = 15; s < 25; ++s) second.add(at(s, far + s * step));
    appended.append(first);
    appended.append(second);
    EXPECT_DOUBLE_EQ(appended.distanceMetres(), f.distanceMetres());
    EXPECT_DOUBLE_EQ(appended.jumpMetres(), f.jumpMetres());
    EXPECT_EQ(std::tuple(appended.jumps(), appended.fixes(), appended.startSeconds(), appended.endSeconds()),
              std::tuple(f.jumps(), f.fixes(), f.startSeconds(), f.endSeconds()));
}
