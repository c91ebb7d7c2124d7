#pragma once
// Picking a moment from the map: the fix of a route nearest to a position,
// when it lies within a tolerance (what 30 screen pixels span at the map's
// zoom). Position and fixes must be in the same datum.
//
// Threads: a pure function; any thread.
#include "trip/TripRoute.h"

#include <cstddef>
#include <optional>
#include <vector>

class NearestFix {
public:
    // The index of the nearest fix, or none when every fix lies further than
    // toleranceMetres away or an argument is not a usable number.
    static std::optional<size_t> find(const std::vector<RouteFix>& fixes, double latitude, double longitude,
                                      double toleranceMetres);
};
