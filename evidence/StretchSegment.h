#pragma once
// The part of one clip an export takes: from inSeconds to outSeconds of the
// clip, placed at outputSeconds of the exported video.
#include <cstddef>

struct StretchSegment {
    size_t clip = 0;  // index into the export's clips
    double inSeconds = 0.0;
    double outSeconds = 0.0;
    double outputSeconds = 0.0;
};
