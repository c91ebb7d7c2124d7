#include "track/CoordinateConversion.h"

#include <cmath>

namespace {

// The constants are those of the maps' own conversion code, kept as stored
// there (latScale and lngScale are rounded; c20 is one ulp below 40/3) so
// that the shifted points land where the map pages expect them.
constexpr double kPi = 3.141592653589793;
constexpr double kEe = 0.006693421622965943;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kLatScale = 9.0435329131e-06;
constexpr double kLngScale = 8.9830007334e-06;
constexpr double kXPi = 52.35987755982988;
constexpr double kC20 = 13.333333333333332;
constexpr double kC40 = 26.666666666666668;
constexpr double kC160 = 106.66666666666667;
constexpr double kC320 = 213.33333333333334;

bool outsideChina(double latitude, double longitude) {
    return longitude < 72.004 || longitude > 135.1 || latitude < 18.1 || latitude > 55.8271;
}

void gcjShift(double lat, double lng, double radLat, double& outLat, double& outLng) {
    const double s = std::sin(radLat);
    const double magic = 1.0 - kEe * s * s;
    const double sqrtMagic = std::sqrt(magic);
    const double x = lng - 105.0;
    const double y = lat - 35.0;
    const double dLng = transformLon(x, y) * sqrtMagic * kLngScale / std::cos(radLat);
    const double dLat = transformLat(x, y) * magic * sqrtMagic * kLatScale;
    outLat = lat + dLat;
    outLng = lng + dLng;
}

// The page conversions form the angle as lat / 180 * pi, the marker ones
// multiply by degToRad; the results differ in the last bits only.
void gcjShiftOfPage(double lat, double lng, double& outLat, double& outLng) {
    gcjShift(lat, lng, lat / 180.0 * kPi, outLat, outLng);
}

void bdFromGcj(double gLat, double gLng, double& outLat, double& outLng) {
    const double z = std::sqrt(gLng * gLng + gLat * gLat) + 2e-05 * std::sin(gLat * kXPi);
    const double theta = std::atan2(gLat, gLng) + 3e-06 * std::cos(gLng * kXPi);
    outLng = z * std::cos(theta) + 0.0065;
    outLat = z * std::sin(theta) + 0.006;
}

template <typename Convert>
bool convertValid(TrackRecord* records, int32_t count, Convert convert) {
    if (records == nullptr || count == 0) return false;
    for (int32_t i = 0; i < count; ++i) {
        TrackRecord& r = records[i];
        if (r.valid) convert(r);
    }
    return true;
}

}  // namespace

double transformLat(double x, double y) {
    double ret = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
    ret += kC20 * (std::sin((x * 6.0) * kPi) + std::sin((x + x) * kPi));
    ret += kC20 * std::sin(kPi * y);
    ret += kC40 * std::sin((y / 3.0) * kPi);
    ret += kC160 * std::sin((y / 12.0) * kPi);
    ret += kC320 * std::sin((kPi * y) / 30.0);
    return ret;
}

double transformLon(double x, double y) {
    double ret = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
    ret += kC20 * (std::sin((x * 6.0) * kPi) + std::sin((x + x) * kPi));
    ret += kC20 * std::sin(kPi * x);
    ret += kC40 * std::sin((x / 3.0) * kPi);
    ret += 100.0 * std::sin((x / 12.0) * kPi);
    ret += 200.0 * std::sin((x / 30.0) * kPi);
    return ret;
}

void wgsToGcj(double latitude, double longitude, double& outLatitude, double& outLongitude) {
    if (outsideChina(latitude, longitude)) {
        outLatitude = latitude;
        outLongitude = longitude;
        return;
    }
    gcjShift(latitude, longitude, latitude * kDegToRad, outLatitude, outLongitude);
}

void wgsToBd(double latitude, double longitude, double& outLatitude, double& outLongitude) {
    if (outsideChina(latitude, longitude)) {
        outLatitude = latitude;
        outLongitude = longitude;
        return;
    }
    double gLat = 0.0;
    double gLng = 0.0;
    gcjShift(latitude, longitude, latitude * kDegToRad, gLat, gLng);
    bdFromGcj(gLat, gLng, outLatitude, outLongitude);
}

void noConversion(double latitude, double longitude, double& outLatitude, double& outLongitude) {
    outLatitude = latitude;
    outLongitude = longitude;
}

void pagePositionBaidu(double latitude, double longitude, double& outLatitude, double& outLongitude) {
    double gLat = 0.0;
    double gLng = 0.0;
    gcjShiftOfPage(latitude, longitude, gLat, gLng);
    bdFromGcj(gLat, gLng, outLatitude, outLongitude);
}

void pagePositionGcj(double latitude, double longitude, double& outLatitude, double& outLongitude) {
    gcjShiftOfPage(latitude, longitude, outLatitude, outLongitude);
}

bool convertPageBaidu(TrackRecord* records, int32_t count) {
    return convertValid(records, count, [](TrackRecord& r) {
        pagePositionBaidu(r.latitude, r.longitude, r.mapLatitude, r.mapLongitude);
    });
}

bool convertPageGoogle(TrackRecord* records, int32_t count, bool china) {
    if (!china) return convertPageCopy(records, count);
    return convertValid(records, count,
                        [](TrackRecord& r) { pagePositionGcj(r.latitude, r.longitude, r.mapLatitude, r.mapLongitude); });
}

bool convertPageCopy(TrackRecord* records, int32_t count) {
    return convertValid(records, count, [](TrackRecord& r) {
        r.mapLatitude = r.latitude;
        r.mapLongitude = r.longitude;
    });
}
