#pragma once
// Writes the trips of `veltara-track --trips`: a JSON array of
//   {"channel", "clips", "start", "end", "duration_s", "distance_m",
//    "max_speed_kmh", "avg_speed_kmh", "events"}
// (times on the camera clock as "YYYY-MM-DD hh:mm:ss"), or the same as an
// aligned table with units; or the trips' events alone, as a JSON array of
//   {"clip", "time_s", "kind", "peak_g"}
// or a table. Threads: main only.
#include "trackindex/TripBuilder.h"
#include "trip/TripEvent.h"

#include <string>
#include <vector>

// names: the clips' names as given, indexed as the trips index them; events:
// per trip, their clip an index into that trip's clips.
using TripEvents = std::vector<std::vector<TripEvent>>;
std::string tripsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events);
std::string eventsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events);
std::string eventsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names,
                        const TripEvents& events);
std::string tripsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names);
