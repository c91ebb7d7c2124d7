#pragma once
// Writes the trips of `veltara-track --trips`: a JSON array of
//   {"channel", "clips", "start", "end", "duration_s", "distance_m",
//    "max_speed_kmh", "avg_speed_kmh", "events"}
// (times on the camera clock as "YYYY-MM-DD hh:mm:ss"), or the same as an
// aligned table with units; or the trips' events alone, as a JSON array of
//   {"clip", "time_s", "kind", "peak_g"}
// or a table. An event the car saved itself (kind "car") adds "reason" as
// the car wrote it, "words", and "city", "lat", "lon" where the car gave
// them; the table shows its words and city in the last column.
// Threads: main only.
#include "trackindex/TripBuilder.h"
#include "trip/TripEvent.h"
#include "vehicle/CarEventMark.h"

#include <optional>

#include <string>
#include <vector>

// names: the clips' names as given, indexed as the trips index them; events:
// per trip, their clip an index into that trip's clips.
// carEvents: the car's event of each clip, indexed as names (may be empty).
using TripEvents = std::vector<std::vector<TripEvent>>;
using CarEventMarks = std::vector<std::optional<CarEventMark>>;
std::string tripsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events,
                      const CarEventMarks& carEvents = {});
std::string eventsJson(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events,
                       const CarEventMarks& carEvents = {});
std::string eventsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names, const TripEvents& events,
                        const CarEventMarks& carEvents = {});
std::string tripsTable(const std::vector<Trip>& trips, const std::vector<std::string>& names);
