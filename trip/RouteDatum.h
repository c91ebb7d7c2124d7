#pragma once
// A route's fixes in the datum of the map page in use, converted as the
// clip's own line is (TrackMapConversion), so the trip and the line match;
// and back.
//
// Threads: a pure function; any thread.
#include "track/TrackMapConversion.h"
#include "trip/TripRoute.h"

#include <vector>

std::vector<RouteFix> routeInMapDatum(const std::vector<RouteFix>& fixes, TrackMapConversion conversion);

// The WGS-84 position of a position in the page's datum: the conversion
// undone by iteration (the shift varies slowly, a few steps reach well under
// a metre).
void wgsOfMapPosition(TrackMapConversion conversion, double latitude, double longitude, double& outLatitude,
                      double& outLongitude);
