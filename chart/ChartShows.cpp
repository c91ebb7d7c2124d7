#include "chart/ChartShows.h"

std::string_view chartShowsName(ChartShows shows) {
    switch (shows) {
        case ChartShows::Car:
            return "car";
        case ChartShows::Both:
            return "both";
        case ChartShows::GSensor:
            break;
    }
    return "g";
}

ChartShows chartShowsFromName(std::string_view name) {
    if (name == "car") return ChartShows::Car;
    if (name == "both") return ChartShows::Both;
    return ChartShows::GSensor;
}
