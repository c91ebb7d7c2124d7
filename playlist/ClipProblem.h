#pragma once
// Why a clip of the playlist did not play as a video. The playlist row shows
// it (colour and tool tip); the entry keeps it until the list is rebuilt
// from its folder.
#include <cstdint>

enum class ClipProblem : uint8_t {
    None,
    Empty,       // a file of zero bytes
    Unplayable,  // the player could not open or decode it
    NoVideo,     // it plays, but has no picture (sound only)
    CutShort,    // cut short before its index was written; a copy can be repaired
};
