#pragma once
// One file of the playlist. Texts are UTF-8; the name is shown as plain text.
#include "playlist/ClipProblem.h"

#include <string>
#include <vector>

struct PlayListEntry {
    std::string path;  // the folder (ending in "/") followed by the name
    std::string name;  // the file name as the folder listing gave it; a car's moment's label
    ClipProblem problem = ClipProblem::None;
    std::string repairedFrom;  // a repaired copy: the cut clip it was made from
    // A car's moment (see vehicle/CarFolder): the clips of all its cameras,
    // this entry's own first; empty for a clip on its own.
    std::vector<std::string> cameras;
};
