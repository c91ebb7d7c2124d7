#pragma once
// What the chart shows: the G-sensor's axes, a car's speed, pedal and brake,
// or both. Kept in the settings by name ("g", "car", "both"); an unknown or
// missing name is the G-sensor, as before there was a choice.
//
// Threads: any (plain values and functions).
#include <string_view>

enum class ChartShows { GSensor = 0, Car = 1, Both = 2 };

constexpr std::string_view kChartShowsKey = "ChartShows";

std::string_view chartShowsName(ChartShows shows);
ChartShows chartShowsFromName(std::string_view name);
inline bool showsGSensor(ChartShows shows) {
    return shows != ChartShows::Car;
}
inline bool showsCar(ChartShows shows) {
    return shows != ChartShows::GSensor;
}
