#pragma once
// One cue of a clip's track: its start and duration in the clip and the text
// the converter path would hand the parser (at most 127 bytes). A plain value.
#include <cstdint>
#include <string>

struct TrackCue {
    int64_t startMs = 0;
    int64_t durationMs = 0;
    std::string text;
};
