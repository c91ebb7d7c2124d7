#pragma once
// The original clips of the journey a stretch lies in: the drive of the
// stretch's channel (its clips joined without a gap of more than
// ExportStretch::kMaxGapSeconds) and, for each of its clips, every other
// channel of the same moment (partners::matchMoments), and where each goes in
// the evidence folder's originals/ folder.
//
// Threads: any; pure.
#include "evidence/StretchClip.h"
#include "cameras/ClipPartners.h"

#include <string>
#include <utility>
#include <vector>

class JourneyClips {
public:
    static constexpr const char* kFolder = "originals";

    // The first and last index of the drive that holds channel[first..last].
    // A clip of unknown start or length ends the drive: only what is known
    // to join is taken.
    static std::pair<size_t, size_t> drive(const std::vector<StretchClip>& channel, size_t first, size_t last);

    // The drive's clips and the other channels of their moments among the
    // candidates, each once, in the drive's order (a moment's members after
    // its drive clip).
    static std::vector<std::string> withMoments(const std::vector<std::string>& driveClips,
                                                const std::vector<partners::ClipStamp>& candidates);

    // Each path's place under originals/: its own name, or "PARENT/NAME" for
    // names that two clips share (channel folders such as Front/ and Back/).
    // False when two clips share both.
    static bool places(const std::vector<std::string>& paths, std::vector<std::string>& relative, std::string& reason);
};
