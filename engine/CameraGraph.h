#pragma once
// The libmpv filter graph ("lavfi-complex") that shows two cameras of one
// moment as one picture. Both tracks decode in the one player, so pause,
// seeks, steps, speed and snapshots act on the composed picture and the
// main clip's frames set the clock: the partner is padded with its last
// frame (it never ends first) and the graph ends with the main clip; its
// frames are taken at the main clip's moments. Sound is the main clip's.
// Pure; the engine's main thread.
#include "cameras/CameraLayout.h"

#include <string>

namespace engine {

struct CameraTracks {
    long long mainVideo = 0;    // libmpv track ids; 0: none
    long long partnerVideo = 0;
    long long mainAudio = 0;
    long long width = 0;        // the main clip's picture size
    long long height = 0;
};

// Empty when there is nothing to compose (no partner video or no main video).
std::string cameraGraph(const CameraTracks& tracks, cameras::CameraLayout layout, bool mirrorPartner);

}  // namespace engine
