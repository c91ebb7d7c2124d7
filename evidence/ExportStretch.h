#pragma once
// Plans the stretch of an export over consecutive clips: from a moment of
// one clip for a length, clip after clip, joined without a gap. A stretch
// that runs past the last clip, starts outside its clip, or crosses a gap of
// more than kMaxGapSeconds between two clips' recordings is refused with the
// clip and the moment that stop it.
//
// Threads: any; pure.
#include "evidence/StretchClip.h"
#include "evidence/StretchSegment.h"

#include <string>
#include <vector>

class ExportStretch {
public:
    static constexpr double kMaxGapSeconds = 3.0;
    static constexpr double kMaxLengthSeconds = 600.0;

    static bool plan(const std::vector<StretchClip>& clips, size_t firstClip, double startSeconds, double lengthSeconds,
                     std::vector<StretchSegment>& segments, std::string& reason);

    // The clip and the moment in it of a time on the records' clock; false
    // when no clip of the list was recording then.
    static bool locate(const std::vector<StretchClip>& clips, double atSeconds, size_t& clip, double& moment);
};
