#include "trip/RouteGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMetresPerDegree = 6371008.8 * 3.141592653589793 / 180.0;

}  // namespace

FlatProjection::FlatProjection(const std::vector<RouteFix>& fixes) {
    if (fixes.empty()) {
        *this = FlatProjection(0.0, 0.0);
        return;
    }
    double minLat = fixes.front().latitude, maxLat = minLat;
    double minLng = fixes.front().longitude, maxLng = minLng;
    for (const RouteFix& f : fixes) {
        minLat = std::min(minLat, f.latitude);
        maxLat = std::max(maxLat, f.latitude);
        minLng = std::min(minLng, f.longitude);
        maxLng = std::max(maxLng, f.longitude);
    }
    *this = FlatProjection((minLat + maxLat) / 2.0, (minLng + maxLng) / 2.0);
}

FlatProjection::FlatProjection(double centreLatitude, double centreLongitude)
    : centreLatitude_(centreLatitude),
      centreLongitude_(centreLongitude),
      metresPerDegreeX_(kMetresPerDegree * std::cos(centreLatitude * 3.141592653589793 / 180.0)) {}

FlatPoint FlatProjection::project(double latitude, double longitude) const {
    return {(longitude - centreLongitude_) * metresPerDegreeX_, (latitude - centreLatitude_) * kMetresPerDegree};
}

double squaredSegmentDistance(FlatPoint p, FlatPoint a, FlatPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    double t = 0.0;
    if (length > 0.0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0);
    const double ex = p.x - (a.x + t * dx);
    const double ey = p.y - (a.y + t * dy);
    return ex * ex + ey * ey;
}
