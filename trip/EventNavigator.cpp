#include "trip/EventNavigator.h"

#include <algorithm>

namespace {

// The position is known to a second at best, and a jump needs a moment to land.
constexpr int64_t kSlackMs = 1500;

}  // namespace

int64_t eventStartMs(const TripEvent& event) {
    return event.timeMs > kEventLeadInMs ? event.timeMs - kEventLeadInMs : 0;
}

bool stepEvent(const TripRoute& trip, size_t clip, int64_t positionMs, bool forward, EventJump& jump) {
    const auto before = [&](size_t i, int64_t slack) {
        const TripEvent& e = trip.events[i];
        return e.clip != clip ? e.clip < clip : eventStartMs(e) < positionMs + slack;
    };
    if (forward) {
        for (size_t i = 0; i < trip.events.size(); ++i)
            if (!before(i, kSlackMs)) {
                jump = {i, eventStartMs(trip.events[i])};
                return true;
            }
        return false;
    }
    for (size_t i = trip.events.size(); i-- > 0;)
        if (before(i, -kSlackMs)) {
            jump = {i, eventStartMs(trip.events[i])};
            return true;
        }
    return false;
}
