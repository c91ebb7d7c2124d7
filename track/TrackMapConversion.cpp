#include "track/TrackMapConversion.h"

#include "track/MapKind.h"

TrackMapConversion trackMapConversionFor(uint8_t mapKind, std::string_view locale) {
    if (mapKind == MAP_KIND_BAIDU) return TrackMapConversion::Baidu;
    // Only the exact region name selects the Chinese Google page.
    if (mapKind == MAP_KIND_GOOGLE && locale == "China") return TrackMapConversion::Gcj;
    return TrackMapConversion::Copy;
}

bool convertPage(TrackMapConversion conversion, TrackRecord* records, int32_t count) {
    switch (conversion) {
        case TrackMapConversion::Baidu:
            return convertPageBaidu(records, count);
        case TrackMapConversion::Gcj:
            return convertPageGoogle(records, count, true);
        case TrackMapConversion::Copy:
            break;
    }
    return convertPageCopy(records, count);
}

void mapPositionOf(TrackMapConversion conversion, double latitude, double longitude, double& outLatitude,
                   double& outLongitude) {
    switch (conversion) {
        case TrackMapConversion::Baidu:
            return pagePositionBaidu(latitude, longitude, outLatitude, outLongitude);
        case TrackMapConversion::Gcj:
            return pagePositionGcj(latitude, longitude, outLatitude, outLongitude);
        case TrackMapConversion::Copy:
            break;
    }
    outLatitude = latitude;
    outLongitude = longitude;
}
