#pragma once
// Thins a trip's route for drawing: Douglas–Peucker on a flat projection
// around the route, so that no dropped fix lies further than the tolerance
// from the line drawn. The clips' first fixes are always kept (the page marks
// the clip boundaries on them). Iterative: an 8-hour trip of a fix a second
// needs no deep recursion.
//
// Threads: a pure function; any thread.
#include "trip/TripRoute.h"

#include <cstddef>
#include <vector>

class RouteSimplifier {
public:
    // Indexes of the fixes to draw, ascending; the first and last fix and
    // every index of `keep` (ignored when out of range) among them. A
    // tolerance of 0 or less keeps every fix.
    static std::vector<size_t> simplify(const std::vector<RouteFix>& fixes, const std::vector<size_t>& keep,
                                        double toleranceMetres);

    // A tolerance of about half a screen pixel when the whole route fills a
    // view of `viewPixels` across: the line drawn looks the same as the full one.
    static double screenTolerance(const std::vector<RouteFix>& fixes, double viewPixels);
};
