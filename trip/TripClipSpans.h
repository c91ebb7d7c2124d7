#pragma once
// Where the clips of a trip sit along it, for the timeline strip's overview
// of the trip: the edges of the clips as fractions of the whole, each clip's
// share being its recorded span (the time of its last fix, at least
// kMinClipMs, so a clip without fixes still shows).
//
// Threads: plain functions on values; any thread.
#include "trip/TripRoute.h"

#include <cstdint>
#include <vector>

class TripClipSpans {
public:
    static constexpr int64_t kMinClipMs = 1000;

    // clipPaths.size() + 1 edges from 0 to 1; empty for a trip without clips.
    static std::vector<double> edges(const TripRoute& trip);
};
