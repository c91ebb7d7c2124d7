#pragma once
// A record of the track placed at its moment of the exported video.
#include "track/TrackRecord.h"

struct OverlayMoment {
    double atSeconds = 0.0;
    TrackRecord record;
};
