#pragma once
// The filter graph that shows the four or six cameras of a car's moment as
// one picture, on the main clip's clock: the engine's "lavfi-complex" and,
// with its inputs and output relabelled, the export's, so an export takes
// the picture as shown.
//
// The main clip is always decoded and drives the graph: its frames (padded
// onto a canvas, or a 2x2 crop of them when it is not shown) are the base
// each other camera is overlaid on, so a camera of another length, rate or
// size follows the main clip's frames, keeps its last frame when it ends
// first, and the picture ends with the main clip. Each camera is scaled once,
// straight to its tile, at the size the picture is shown at (never larger
// than the main clip's own size): the composed picture has no more pixels
// than the screen shows, and the video output's own scaling costs what one
// camera's does.
// A missing camera's tile stays black, labelled with its name.
//
// Tiles: the grid is laid out like the car (four: front and back over the
// left and right repeaters; six: the pillars beside the front, the
// repeaters beside the back); the strip is the large camera at the main
// clip's size over a row of the others; single is the large camera alone.
// Pure; any thread. Built into the core and the engine.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"

#include <string>
#include <vector>

namespace cameras {

struct GridCamera {
    CameraChannel channel = CameraChannel::None;
    long long video = 0;  // libmpv track id; 0: missing
    long long width = 0;  // its picture size; 0: unknown
    long long height = 0;
};

struct GridTracks {
    std::vector<GridCamera> cameras;  // the main clip first
    long long mainAudio = 0;
};

struct GridStyle {
    bool mirrorRear = false;
    bool labels = true;  // false: missing tiles stay black without their name (no font found)
    // The size the picture is shown at (the video window's); 0: unknown, the main clip's size.
    long long screenWidth = 0;
    long long screenHeight = 0;
};

// The camera's name as its tile says it is missing ("right repeater").
std::string_view spokenName(CameraChannel channel);

// The tiles of the grid in the car's order (four or six; six when a pillar is there).
std::vector<CameraChannel> gridChannels(const std::vector<GridCamera>& cameras);

// Empty when there is nothing to compose (no main video or no size).
std::string gridGraph(const GridTracks& tracks, CameraLayout layout, CameraChannel large, const GridStyle& style);

}  // namespace cameras
