#pragma once
// How a clip's track is read and written to a track file: the file format,
// the map datum, the sampling, the reader and the camera clock's offset from
// UTC. What the tool's command line and the export both fill. A plain value;
// any thread.
#include "track/TrackSampling.h"
#include "track/TrackMapConversion.h"

#include <string>

enum class TrackFormat { Csv, Gpx, Kml, GeoJson };
enum class TrackMap { None, Baidu, Google };
enum class TrackReader { Native, Ffmpeg };

struct TrackFileOptions {
    TrackFormat format = TrackFormat::Csv;
    TrackMap map = TrackMap::None;
    std::string region = "Oversea";
    TrackSampling sampling = TrackSampling::All;
    TrackReader reader = TrackReader::Native;
    int utcOffsetSeconds = 0;  // what the camera clock was ahead of UTC

    // The batch conversion that fills the map coordinates.
    TrackMapConversion conversion() const;
};
