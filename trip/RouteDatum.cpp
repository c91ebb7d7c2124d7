#include "trip/RouteDatum.h"

#include <algorithm>
#include <cmath>

std::vector<RouteFix> routeInMapDatum(const std::vector<RouteFix>& fixes, TrackMapConversion conversion) {
    std::vector<RouteFix> out = fixes;
    if (conversion == TrackMapConversion::Copy) return out;
    // Converted a block of records at a time with the line's own conversion.
    constexpr size_t kBlock = 512;
    std::vector<TrackRecord> block;
    for (size_t start = 0; start < out.size(); start += kBlock) {
        const size_t n = std::min(kBlock, out.size() - start);
        block.assign(n, TrackRecord{});
        for (size_t i = 0; i < n; ++i) {
            block[i].valid = true;
            block[i].latitude = out[start + i].latitude;
            block[i].longitude = out[start + i].longitude;
        }
        convertPage(conversion, block.data(), static_cast<int32_t>(n));
        for (size_t i = 0; i < n; ++i) {
            out[start + i].latitude = block[i].mapLatitude;
            out[start + i].longitude = block[i].mapLongitude;
        }
    }
    return out;
}

void wgsOfMapPosition(TrackMapConversion conversion, double latitude, double longitude, double& outLatitude,
                      double& outLongitude) {
    outLatitude = latitude;
    outLongitude = longitude;
    if (conversion == TrackMapConversion::Copy) return;
    for (int step = 0; step < 6; ++step) {
        TrackRecord r;
        r.valid = true;
        r.latitude = outLatitude;
        r.longitude = outLongitude;
        convertPage(conversion, &r, 1);
        const double dLat = latitude - r.mapLatitude;
        const double dLng = longitude - r.mapLongitude;
        outLatitude += dLat;
        outLongitude += dLng;
        if (std::fabs(dLat) < 1e-9 && std::fabs(dLng) < 1e-9) return;
    }
}
