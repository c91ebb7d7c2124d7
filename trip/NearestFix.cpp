#include "trip/NearestFix.h"

#include "trip/RouteGeometry.h"

#include <cmath>

std::optional<size_t> NearestFix::find(const std::vector<RouteFix>& fixes, double latitude, double longitude,
                                       double toleranceMetres) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(toleranceMetres) ||
        toleranceMetres < 0.0 || std::fabs(latitude) > 90.0 || std::fabs(longitude) > 180.0)
        return std::nullopt;
    // Centred on the click, the projection is true where it matters.
    const FlatProjection flat(latitude, longitude);
    double best = toleranceMetres * toleranceMetres;
    std::optional<size_t> found;
    for (size_t i = 0; i < fixes.size(); ++i) {
        const FlatPoint p = flat.project(fixes[i].latitude, fixes[i].longitude);
        const double d = p.x * p.x + p.y * p.y;
        if (d <= best) {
            best = d;
            found = i;
        }
    }
    return found;
}
