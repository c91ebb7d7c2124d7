#pragma once
// Reads the player's command line, as the program builds it:
//   <media file> [-wid N] -vo V -slave -quiet -identify -ao A -volume N
//   -muteset 0|1 [-sid N -idx -nokeepaspect]
// or "-list-audio-devices". Options may stand anywhere and take one or two
// leading dashes. Unknown options and bad values give a warning and are
// skipped; they never stop playback. Pure function: no libmpv needed.
#include "engine/EngineOptions.h"

#include <string>
#include <vector>

namespace engine {

struct CommandLine {
    EngineOptions options;
    std::vector<std::string> warnings;  // one line each, for standard error
};

// args: the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace engine
