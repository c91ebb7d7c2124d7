#pragma once
// Writes the trips of `veltara-track --trips`: a JSON array of
//   {"channel", "clips", "start", "end", "duration_s", "distance_m",
//    "max_speed_kmh", "avg_speed_kmh", "events"}
// (times on the camera clock as "YYYY-MM-DD hh:mm:ss"), or the same as an
// aligned table with units. Threads: main only.
#include "trackindex/TripBuilder.h"

#include <string>
#include <vector>

// names: the clips' names as given, indexed as the trips index them.
std::string tripsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names);
std::string tripsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names);
