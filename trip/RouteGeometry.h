#pragma once
// Positions of a route on a plane in metres: an equirectangular projection
// centred on the route, true to a few per cent over the few hundred
// kilometres a drive covers, which is all that thinning and picking need.
// Pure; any thread.
#include "trip/TripRoute.h"

#include <vector>

struct FlatPoint {
    double x = 0.0;  // metres east of the centre
    double y = 0.0;  // metres north of the centre
};

class FlatProjection {
public:
    // Centred on the middle of the fixes' latitudes and longitudes.
    explicit FlatProjection(const std::vector<RouteFix>& fixes);
    FlatProjection(double centreLatitude, double centreLongitude);

    FlatPoint project(double latitude, double longitude) const;

private:
    double centreLatitude_ = 0.0;
    double centreLongitude_ = 0.0;
    double metresPerDegreeX_ = 0.0;
};

// Squared distance of p from the segment a-b.
double squaredSegmentDistance(FlatPoint p, FlatPoint a, FlatPoint b);
