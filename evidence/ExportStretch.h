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

    // Trims a stretch from (firstClip, startSeconds) to the drive that holds
    // clip `origin`: the clips around it joined without a gap of more than
    // kMaxGapSeconds. What lies before the drive is left out of the start,
    // what lies after it out of the length (which may end up 0 or less when
    // the stretch does not reach the drive at all).
    static void keepWithinDrive(const std::vector<StretchClip>& clips, size_t origin, size_t& firstClip,
                                double& startSeconds, double& lengthSeconds);

    // The clip and the moment in it of a time on the records' clock; false
    // when no clip of the list was recording then.
    static bool locate(const std::vector<StretchClip>& clips, double atSeconds, size_t& clip, double& moment);
};
