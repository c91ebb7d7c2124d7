#pragma once
// One minute of a car's recording: the clips of all its cameras, the group
// of the car's folder it lies in and, for a saved or sentry one, the event
// folder that holds it. A plain value; any thread.
#include <cstdint>
#include <string>
#include <vector>

enum class CarFolderGroup : uint8_t { Recent = 0, Saved = 1, Sentry = 2 };

struct CarMoment {
    CarFolderGroup group = CarFolderGroup::Recent;
    std::string eventFolder;           // ends in "/"; "" for recent clips
    std::vector<std::string> cameras;  // paths; the front first, then the back, then the others in channel order
    int64_t startSeconds = 0;          // the name's start, the car's local clock as if UTC
};
