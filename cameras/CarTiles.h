#pragma once
// Which of a car's cameras a point of the composed picture shows, for the
// tiles the engine lays out (see cameras/GridGraph: the grid like the car,
// the strip under the large camera). Points are fractions of the picture.
// Pure; any thread. Built into the core and the engine.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"

#include <span>

namespace cameras {

// One tile of the grid: its camera and cell (four cameras: two columns, six:
// three; two rows). The order is the tiles' order everywhere (the strip's too).
struct CarTile {
    CameraChannel channel;
    int column;
    int row;
};
std::span<const CarTile> carTiles(bool sixCameras);

// None where no other camera is shown: the large camera, the single
// layout, a point outside the picture. large None is the front.
CameraChannel carTileAt(CameraLayout layout, bool sixCameras, CameraChannel large, double x, double y);

}  // namespace cameras
