#pragma once
// The command line of veltara-track:
//     veltara-track [--format csv|gpx|kml|geojson] [--map none|baidu|google]
//                   [--region NAME] [--sampling all|player] FILE...
// Options take their value as the next argument or after "="; "--" ends the
// options. Threads: main only.
#include "track/SubtitleExtractor.h"
#include "track/TrackMapConversion.h"

#include <string>
#include <vector>

enum class TrackFormat { Csv, Gpx, Kml, GeoJson };
enum class TrackMap { None, Baidu, Google };

struct TrackToolOptions {
    TrackFormat format = TrackFormat::Csv;
    TrackMap map = TrackMap::None;
    std::string region = "Oversea";
    TrackSampling sampling = TrackSampling::All;
    std::vector<std::string> files;

    // The batch conversion that fills the map coordinates.
    TrackMapConversion conversion() const;
};

enum class TrackToolParse { Run, Help, UsageError };

// error receives the reason of a usage error.
TrackToolParse parseTrackToolOptions(const std::vector<std::string>& arguments, TrackToolOptions& options,
                                     std::string& error);

// The usage text, ending in a line feed.
std::string trackToolUsage();
