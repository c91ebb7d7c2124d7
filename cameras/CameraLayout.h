#pragma once
// How the two cameras of one moment share the picture: the main clip with
// its partner as an inset, the other way round, side by side, or the main
// clip alone. The names are those of the settings, the engine's protocol and
// the test driver. Pure; any thread. Built into the core and the engine.
#include <optional>
#include <string_view>

namespace cameras {

enum class CameraLayout { Inset, InsetSwapped, Side, Single };

std::string_view layoutName(CameraLayout layout);
// Exactly one of the names; nothing for any other text.
std::optional<CameraLayout> parseLayout(std::string_view name);
// The order the layout button and the V key go through.
CameraLayout nextLayout(CameraLayout layout);

}  // namespace cameras
