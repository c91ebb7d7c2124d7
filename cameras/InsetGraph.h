#pragma once
// The inset of two cameras of one moment as a piece of an FFmpeg filter
// graph, so the player's engine (libmpv) and the export (ffmpeg) draw the
// same picture: the small picture scaled to a quarter of the big one's width
// (even sizes, its aspect kept) in the lower right corner, a 64th of the
// width from the edges; the big picture sets the end, and a small one that
// ends first stays on its last frame. Sizes come from the pictures
// themselves, so neither caller needs to know them beforehand.
// Pure; any thread. Built into the core and the engine.
#include <string>
#include <string_view>

namespace cameras {

// Labels without brackets. The piece ends in the overlay without an output
// label: the caller appends its own filters and label.
std::string insetGraph(std::string_view big, std::string_view small);

}  // namespace cameras
