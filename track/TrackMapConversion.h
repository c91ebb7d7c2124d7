#pragma once
// Which datum the track line's map coordinates are written in. Chosen by the
// map code from the map kind and region of AppConfig, so the line matches
// the page (and the car marker) that is actually loaded.
#include "track/CoordinateConversion.h"

#include <cstdint>
#include <string_view>

enum class TrackMapConversion : uint8_t {
    Copy,   // WGS-84 maps (Google outside China, Yandex, unknown kinds)
    Gcj,    // Google map of China
    Baidu,  // BD-09
};

// mapKind 1: Baidu; 2: Gcj when the region is exactly "China", else Copy;
// anything else: Copy.
TrackMapConversion trackMapConversionFor(uint8_t mapKind, std::string_view locale);

// Applies the page conversion; see CoordinateConversion.h for the results.
bool convertPage(TrackMapConversion conversion, TrackRecord* records, int32_t count);
// The same for one position: where the page draws it.
void mapPositionOf(TrackMapConversion conversion, double latitude, double longitude, double& outLatitude,
                   double& outLongitude);
