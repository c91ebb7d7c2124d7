#include "map/CBaiduMapLoader.h"

#include "track/CoordinateConversion.h"

bool CBaiduMapLoader::convertMarker(double latitude, double longitude, double& outLatitude,
                                    double& outLongitude) const {
    wgsToBd(latitude, longitude, outLatitude, outLongitude);
    return true;
}
