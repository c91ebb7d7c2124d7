#pragma once
// Conversions of WGS-84 positions (as the camera records them) to the datums
// of Chinese maps: GCJ-02 for the Google map of China, BD-09 (GCJ-02 shifted
// once more) for the Baidu map. Pure functions; any thread.
//
// The single-point conversions (for the car marker) leave points outside the
// China box unchanged; the page conversions (for the track line) shift every
// valid point and leave invalid records untouched. Latitude comes first.
#include "track/TrackRecord.h"

#include <cstdint>

double transformLat(double x, double y);
double transformLon(double x, double y);

// The marker conversions share one signature so a map loader can hold any.
using PointConversion = void (*)(double latitude, double longitude, double& outLatitude, double& outLongitude);

void wgsToGcj(double latitude, double longitude, double& outLatitude, double& outLongitude);
void wgsToBd(double latitude, double longitude, double& outLatitude, double& outLongitude);
void noConversion(double latitude, double longitude, double& outLatitude, double& outLongitude);

// What the page conversions below write for one position (a route's fix,
// say, that is no record).
void pagePositionBaidu(double latitude, double longitude, double& outLatitude, double& outLongitude);
void pagePositionGcj(double latitude, double longitude, double& outLatitude, double& outLongitude);

// Fill mapLatitude/mapLongitude of the valid records of one page. False for
// a null pointer or a count of 0; a negative count does nothing and is true.
bool convertPageBaidu(TrackRecord* records, int32_t count);
// china: the region setting is exactly "China" (GCJ-02); otherwise copy.
bool convertPageGoogle(TrackRecord* records, int32_t count, bool china);
// WGS-84 maps: the map coordinates are the recorded ones.
bool convertPageCopy(TrackRecord* records, int32_t count);
