// The trips a playlist's clips form: unreadable clips and clips without a
// real time stay out, every fix of a trip is on its route with its clip and
// moment, and a clip finds its trip and its place in it.
#include "support/DriveRecords.h"
#include "trip/TripSet.h"

#include <gtest/gtest.h>

namespace {

// A clip of the given seconds of the day's drive, one record a second.
std::shared_ptr<const ClipTrack> clip(const std::string& path, int from, int to, bool withTimes = true) {
    auto c = std::make_shared<ClipTrack>();
    c->path = path;
    for (int s = from; s < to; ++s) {
        c->records.push_back(testing_support::driveRecordAt(s, 1.0 + s * 1e-4, 8.0, 36.0f));
        if (withTimes) c->timesMs.push_back(static_cast<int64_t>(s - from) * 1000 + 40);
    }
    return c;
}

}  // namespace

TEST(TripSet, ClipsFormTripsWithTheirWholeRoutes) {
    auto broken = std::make_shared<ClipTrack>();
    broken->path = "/d/2026_1207_100200_F.MP4";
    broken->problem = "no track";
    auto noFix = std::make_shared<ClipTrack>(*clip("/d/2026_1207_100100_F.MP4", 60, 120));
    noFix->records[0].latitude = 0.0, noFix->records[0].longitude = 0.0;  // the camera's "no fix"
    const auto set = TripSet::build({clip("/d/2026_1207_100000_F.MP4", 0, 60), noFix, broken,
                                     clip("/d/2026_1207_100000_R.MP4", 0, 30, false), nullptr});

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

    // Without cue times a fix's moment is its camera time in the clip.
    const TripRoute* rear = set->tripOf("/d/2026_1207_100000_R.MP4");
    ASSERT_NE(rear, nullptr);
    EXPECT_EQ(rear->fixes[29].timeMs, 29000);

    // A clip that could not be read is known, and in no trip.
    ASSERT_NE(set->clip(broken->path), nullptr);
    EXPECT_FALSE(set->clip(broken->path)->readable());
    EXPECT_EQ(set->tripOf(broken->path), nullptr);
    EXPECT_EQ(set->clip("/d/unknown.MP4"), nullptr);
}
