// From event to event across the clips of a trip: each is played from 5 s
// before it (not before its clip), and a second press right after a jump
// moves on rather than finding the same event again.
#include "trip/EventNavigator.h"

#include <gtest/gtest.h>

TEST(EventNavigator, StepsThroughTheTripsEventsBothWays) {
    TripRoute trip;
    trip.clipPaths = {"a", "b", "c"};
    trip.events = {{0, 30000, TripEventKind::Brake, 0.6},
                   {0, 45000, TripEventKind::Impact, 2.5},
                   {2, 2000, TripEventKind::Accel, 0.4}};
    EventJump jump;
    std::vector<std::pair<size_t, int64_t>> forward;
    size_t clip = 0;
    int64_t position = 0;
    while (stepEvent(trip, clip, position, true, jump)) {
        forward.emplace_back(jump.event, jump.startMs);
        clip = trip.events[jump.event].clip;
        position = jump.startMs + 400;  // playing has begun
    }
    EXPECT_EQ(forward, (std::vector<std::pair<size_t, int64_t>>{{0, 25000}, {1, 40000}, {2, 0}}));

    ASSERT_TRUE(stepEvent(trip, 2, 400, false, jump));  // just after the jump to the last
    EXPECT_EQ(jump.event, 1u);
    ASSERT_TRUE(stepEvent(trip, 1, 0, false, jump));  // from a clip without events
    EXPECT_EQ(jump.event, 1u);
    EXPECT_FALSE(stepEvent(trip, 0, 25400, false, jump));
    EXPECT_FALSE(stepEvent(TripRoute{}, 0, 0, true, jump));
}
