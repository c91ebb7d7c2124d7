// The trips a playlist's clips form: unreadable clips and clips without a
// real time stay out, every fix of a trip is on its route with its clip and
// moment, and a clip finds its trip and its place in it; a crafted clip's
// events are kept to the strongest, and moments near the limits of the
// numbers still give a second to seek to.
#include "support/DriveRecords.h"
#include "trip/ClipSeconds.h"
#include "trip/EventDetector.h"
#include "trip/EventNavigator.h"
#include "trip/TripSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>

namespace {

// A clip of the given seconds of the day's drive, one sample a second.
std::shared_ptr<const ClipTrack> clip(const std::string& path, int from, int to) {
    auto c = std::make_shared<ClipTrack>();
    c->path = path;
    for (int s = from; s < to; ++s)
        c->samples.push_back(
            testing_support::driveSampleAt(s, static_cast<int64_t>(s - from) * 1000 + 40, 1.0 + s * 1e-4, 8.0, 36.0f));
    return c;
}

}  // namespace

TEST(TripSet, ClipsFormTripsWithTheirWholeRoutes) {
    auto broken = std::make_shared<ClipTrack>();
    broken->path = "/d/2026_1207_100200_F.MP4";
    broken->problem = "no track";
    auto noFix = std::make_shared<ClipTrack>(*clip("/d/2026_1207_100100_F.MP4", 60, 120));
    noFix->samples[0].fix = false;
    const auto set = TripSet::build(
        {clip("/d/2026_1207_100000_F.MP4", 0, 60), noFix, broken, clip("/d/2026_1207_100000_R.MP4", 0, 30), nullptr});

    ASSERT_EQ(set->trips().size(), 2u);
    size_t index = 9;
    const TripRoute* front = set->tripOf("/d/2026_1207_100100_F.MP4", &index);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(front->channel, "F");
    ASSERT_EQ(front->clipPaths.size(), 2u);
    ASSERT_EQ(front->fixes.size(), 119u);
    EXPECT_EQ(front->clipFirstFix, (std::vector<size_t>{0, 60}));
    EXPECT_EQ(front->fixes[60].clip, 1u);
    EXPECT_EQ(front->fixes[60].timeMs, 1040);  // the second record of its clip
    EXPECT_GT(front->figures.distanceMetres(), 0.0);
    // The drawing is made with the trip: thinned, the clip marks and both ends kept.
    EXPECT_EQ(front->clipMarks, (std::vector<size_t>{0, 60}));
    ASSERT_GE(front->drawn.size(), 3u);
    EXPECT_LE(front->drawn.size(), front->fixes.size());
    EXPECT_EQ(front->drawn.front(), 0u);
    EXPECT_EQ(front->drawn.back(), 118u);
    EXPECT_NE(std::find(front->drawn.begin(), front->drawn.end(), 60u), front->drawn.end());

    const TripRoute* rear = set->tripOf("/d/2026_1207_100000_R.MP4");
    ASSERT_NE(rear, nullptr);
    EXPECT_EQ(rear->channel, "R");

    // A clip that could not be read is known, and in no trip.
    ASSERT_NE(set->clip(broken->path), nullptr);
    EXPECT_FALSE(set->clip(broken->path)->readable());
    EXPECT_EQ(set->tripOf(broken->path), nullptr);
    EXPECT_EQ(set->clip("/d/unknown.MP4"), nullptr);
}

TEST(TripSet, ATripKeepsItsStrongestEventsEachAtItsFix) {
    // A bump every fourth second for 4,400 s, of strengths that vary: 1,100 impacts.
    auto bumpy = std::make_shared<ClipTrack>();
    bumpy->path = "/d/2026_1207_100000_F.MP4";
    for (int s = 0; s < 4400; ++s) {
        TrackRecord r = testing_support::driveRecordAt(s, 1.0 + s * 1e-4);
        r.accelX = r.accelY = 2000;
        r.accelZ = s % 4 == 3 ? 2333 + 600 + (s * 7919) % 997 : 2333;
        bumpy->samples.push_back(telemetrySampleOf(r, int64_t{s} * 1000 + 40));
    }
    const std::vector<TripEvent> all = EventDetector().detect({EventClipTrack(bumpy->samples)});
    ASSERT_EQ(all.size(), 1100u);
    std::vector<double> peaks;
    for (const TripEvent& e : all) peaks.push_back(e.peakG);
    std::sort(peaks.begin(), peaks.end(), std::greater<>());

    const auto set = TripSet::build({bumpy});
    ASSERT_EQ(set->trips().size(), 1u);
    const TripRoute& trip = set->trips()[0];
    ASSERT_EQ(trip.events.size(), TripRoute::kMaxEvents);
    EXPECT_EQ(trip.eventsLeftOut, 100u);
    for (size_t i = 0; i < trip.events.size(); ++i) {
        const TripEvent& e = trip.events[i];
        EXPECT_GE(e.peakG, peaks[TripRoute::kMaxEvents - 1]);
        if (i > 0) {
            EXPECT_LT(trip.events[i - 1].timeMs, e.timeMs);
        }
        ASSERT_GE(e.fix, 0);
        EXPECT_LE(std::llabs(trip.fixes[static_cast<size_t>(e.fix)].timeMs - e.timeMs), 500);
    }
}

TEST(TripSet, MomentsNearTheLimitsBecomeSeekableSeconds) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(clipSecondOfMs(kMax, true), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(clipSecondOfMs(std::numeric_limits<int64_t>::min()), 0);
    EXPECT_EQ(clipSecondOfMs(int64_t{30} * 24 * 3600 * 1000 + 600, true), 30 * 24 * 3600 + 1);  // beyond 24 days
    TripEvent early;
    early.timeMs = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(eventStartMs(early), 0);
    early.timeMs = kMax;
    EXPECT_EQ(eventStartMs(early), kMax - kEventLeadInMs);
}
