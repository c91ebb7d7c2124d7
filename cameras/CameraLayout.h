#pragma once
// How the cameras of one moment share the picture. Two cameras: the main
// clip with its partner as an inset, the other way round, side by side, or
// the main clip alone. Four or six cameras (a car's): a grid laid out like
// the car, one camera large over a strip of the others, or one camera alone.
// The names are those of the settings, the engine's protocol and the test
// driver. Pure; any thread. Built into the core and the engine.
#include <optional>
#include <string_view>

namespace cameras {

enum class CameraLayout { Inset, InsetSwapped, Side, Single, Grid, Strip };

std::string_view layoutName(CameraLayout layout);
// Exactly one of the names; nothing for any other text.
std::optional<CameraLayout> parseLayout(std::string_view name);
// The layout a setting stands for with two cameras (grid: side by side,
// strip: inset) and with more (inset or swapped: strip, side by side: grid),
// so one remembered choice serves both kinds of moment.
CameraLayout layoutForTwo(CameraLayout layout);
CameraLayout layoutForMany(CameraLayout layout);
// The order the layout button and the V key go through: inset, swapped,
// side by side, one; with more than two cameras grid, strip, one.
CameraLayout nextLayout(CameraLayout layout, bool manyCameras = false);

}  // namespace cameras
