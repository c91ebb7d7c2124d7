#include "trip/RouteDatum.h"

#include <cmath>

std::vector<RouteFix> routeInMapDatum(const std::vector<RouteFix>& fixes, TrackMapConversion conversion) {
    std::vector<RouteFix> out = fixes;
    if (conversion == TrackMapConversion::Copy) return out;
    for (RouteFix& fix : out) mapPositionOf(conversion, fix.latitude, fix.longitude, fix.latitude, fix.longitude);
    return out;
}

void wgsOfMapPosition(TrackMapConversion conversion, double latitude, double longitude, double& outLatitude,
                      double& outLongitude) {
    outLatitude = latitude;
    outLongitude = longitude;
    if (conversion == TrackMapConversion::Copy) return;
    for (int step = 0; step < 6; ++step) {
        double mapLatitude = 0.0, mapLongitude = 0.0;
        mapPositionOf(conversion, outLatitude, outLongitude, mapLatitude, mapLongitude);
        const double dLat = latitude - mapLatitude;
        const double dLng = longitude - mapLongitude;
        outLatitude += dLat;
        outLongitude += dLng;
        if (std::fabs(dLat) < 1e-9 && std::fabs(dLng) < 1e-9) return;
    }
}
