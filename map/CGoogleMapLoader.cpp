#include "map/CGoogleMapLoader.h"

TrackMapConversion CGoogleMapLoader::trackConversion() const {
    return china() ? TrackMapConversion::Gcj : TrackMapConversion::Copy;
}

std::string CGoogleMapLoader::choosePage() {
    markerConversion_.store(china() ? &wgsToGcj : &noConversion);
    return china() ? kChinaPage : kOverseaPage;
}

bool CGoogleMapLoader::convertMarker(double latitude, double longitude, double& outLatitude,
                                     double& outLongitude) const {
    if (!china()) {
        outLatitude = latitude;
        outLongitude = longitude;
        return false;
    }
    markerConversion_.load()(latitude, longitude, outLatitude, outLongitude);
    return true;
}
