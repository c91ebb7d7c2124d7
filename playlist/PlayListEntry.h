#pragma once
// One file of the playlist. Texts are UTF-8; the name is shown as plain text.
#include "playlist/ClipProblem.h"

#include <string>

struct PlayListEntry {
    std::string path;  // the folder (ending in "/") followed by the name
    std::string name;  // the file name as the folder listing gave it
    ClipProblem problem = ClipProblem::None;
    std::string repairedFrom;  // a repaired copy: the cut clip it was made from
};
