#pragma once
// The program folder: the folder of the running executable, ending in "/".
#include <string>

namespace platform {

// Read from /proc/self/exe once; safe from any thread.
const std::string& programFolder();

}  // namespace platform
