#pragma once
// A record of the track placed at its moment of the exported video.
#include "track/TrackRecord.h"

#include <string>

struct OverlayMoment {
    double atSeconds = 0.0;
    TrackRecord record;
    // The zone its time is in, written after it ("+01:00", "UTC"); empty: a
    // camera clock of no known zone, written as such. Our own text only.
    std::string zone;
};
