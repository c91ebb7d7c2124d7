// The timeline strip's arithmetic: its time axis, the speed profile of a
// clip and the places of a trip's clips.
#include "support/DriveRecords.h"
#include "trip/SpeedProfile.h"
#include "trip/TimelineScale.h"
#include "trip/TripClipSpans.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

ClipTrack clipOf(int count, int stepMs, float kmh = 50.0f) {
    ClipTrack clip;
    for (int i = 0; i < count; ++i)
        clip.samples.push_back(testing_support::driveSampleAt(0, static_cast<int64_t>(i) * stepMs, 52.0, 13.0,
                                                              kmh + static_cast<float>(i % 7)));
    return clip;
}

size_t pointsOf(const std::vector<std::vector<ProfilePoint>>& lines) {
    size_t n = 0;
    for (const auto& line : lines) n += line.size();
    return n;
}

}  // namespace

TEST(TimelineScale, MapsBothWaysAndKeepsEveryInputOnTheStrip) {
    const TimelineScale scale(600.0, 60'000);
    EXPECT_DOUBLE_EQ(scale.xOf(30'000), 300.0);
    EXPECT_DOUBLE_EQ(scale.xOf(-5), 0.0);
    EXPECT_DOUBLE_EQ(scale.xOf(90'000), 600.0);
    EXPECT_EQ(scale.secondsAt(300.0), 30);
    EXPECT_EQ(scale.secondsAt(304.0), 30);  // 30.4 s rounds to the nearer second
    EXPECT_EQ(scale.secondsAt(-40.0), 0);
    EXPECT_EQ(scale.secondsAt(1e9), 60);
    EXPECT_EQ(scale.secondsAtFraction(0.5), 30);
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(scale.secondsAt(nan), 0);
    EXPECT_EQ(scale.secondsAtFraction(inf), 60);
    EXPECT_EQ(scale.secondsAtFraction(-inf), 0);
    // A span that does not end on a whole second never gives a second past it.
    EXPECT_EQ(TimelineScale(100.0, 59'600).secondsAtFraction(1.0), 59);
    // Empty scales: nothing plays, nothing to lay out.
    for (const TimelineScale& empty :
         {TimelineScale(0.0, 60'000), TimelineScale(600.0, 0), TimelineScale(nan, 60'000), TimelineScale(-1.0, -1)}) {
        EXPECT_EQ(empty.xOf(30'000), 0.0);
        EXPECT_EQ(empty.secondsAt(300.0), 0);
        EXPECT_EQ(empty.secondsAtFraction(0.5), 0);
    }
}

TEST(SpeedProfile, TakesTheFixesWithASpeedAtTheirMoments) {
    ClipTrack clip = clipOf(6, 1000);
    clip.samples[1].fix = false;
    clip.samples[2] = TelemetrySample{};                                 // no reading at all
    clip.samples[3].speedKmh = std::numeric_limits<float>::quiet_NaN();  // no speed either
    clip.samples[4].speedKmh = 5000.0f;                                  // a broken sample
    clip.samples[5].speedKmh = -3.0f;
    const SpeedProfile profile = SpeedProfile::ofClip(clip);
    ASSERT_EQ(profile.samples().size(), 3u);
    EXPECT_EQ(profile.samples()[1].timeMs, 4000);
    EXPECT_EQ(profile.samples()[1].kmh, SpeedProfile::kMaxKmh);
    EXPECT_EQ(profile.samples()[2].kmh, 0.0f);
    EXPECT_EQ(profile.lastMs(), 5000);
    EXPECT_DOUBLE_EQ(profile.maxKmh(), SpeedProfile::kMaxKmh);

    // A moment that steps back is left out rather than folding the line.
    ClipTrack stepping = clipOf(5, 1000, 40.0f);
    for (int64_t i = 0; const int64_t second : {5, 6, 8, 7, 9})
        stepping.samples[static_cast<size_t>(i++)].clipMs = second * 1000;
    const SpeedProfile inOrder = SpeedProfile::ofClip(stepping);
    ASSERT_EQ(inOrder.samples().size(), 4u);
    EXPECT_EQ(inOrder.samples()[2].timeMs, 8000);
    EXPECT_EQ(inOrder.lastMs(), 9000);

    const SpeedProfile none = SpeedProfile::ofClip(ClipTrack{});
    EXPECT_TRUE(none.samples().empty());
    EXPECT_TRUE(none.polylines(TimelineScale(600.0, 60'000)).empty());
}

TEST(SpeedProfile, DrawsAtMostTwoPointsAColumnAndBreaksAtGaps) {
    // An hour at ten records a second: the width, not the clip, bounds the drawing.
    const ClipTrack hour = clipOf(36'000, 100);
    const SpeedProfile profile = SpeedProfile::ofClip(hour);
    const auto lines = profile.polylines(TimelineScale(500.0, 3'600'000));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LE(pointsOf(lines), 2u * 501u);
    EXPECT_GE(pointsOf(lines), 500u);
    double lastX = -1.0;
    for (const ProfilePoint& p : lines[0]) {
        EXPECT_GE(p.x, lastX);  // in time order
        lastX = p.x;
    }
    EXPECT_NEAR(lines[0].back().x, 500.0, 1.0);
    // Each column keeps its extremes: the highest speed is drawn.
    double highest = 0.0;
    for (const ProfilePoint& p : lines[0]) highest = std::max(highest, p.kmh);
    EXPECT_EQ(highest, 56.0);

    // A stretch without fixes longer than the gap splits the line; samples
    // past the clip's length are not drawn.
    ClipTrack gapped = clipOf(10, 1000);
    for (size_t i = 5; i < 10; ++i) gapped.samples[i].clipMs += SpeedProfile::kGapMs;
    const auto split = SpeedProfile::ofClip(gapped).polylines(TimelineScale(1000.0, 10'000));
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].size(), 5u);
    EXPECT_EQ(split[1].size(), 3u);  // 8, 9 and 10 s; 11 and 12 s lie past the end
}

TEST(TripClipSpans, SharesTheTripByEachClipsRecordedSpan) {
    TripRoute trip;
    trip.clipPaths = {"a", "b", "c"};
    trip.fixes = {{1, 1, 10, 0, 0}, {1, 1, 10, 0, 59'000}, {1, 1, 10, 2, 29'000}};
    // Clip b has no fix: it keeps the smallest share.
    const std::vector<double> edges = TripClipSpans::edges(trip);
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_DOUBLE_EQ(edges[0], 0.0);
    EXPECT_NEAR(edges[1], 59.0 / 89.0, 1e-12);
    EXPECT_NEAR(edges[2], 60.0 / 89.0, 1e-12);
    EXPECT_DOUBLE_EQ(edges[3], 1.0);
    // A fix naming a clip the trip lacks is ignored.
    trip.fixes.push_back({1, 1, 10, 7, 999'000});
    EXPECT_EQ(TripClipSpans::edges(trip), edges);
    EXPECT_TRUE(TripClipSpans::edges(TripRoute{}).empty());
}
