#pragma once
// A length of time as a person reads it in a message: "9.5 s", "4 min 10 s",
// "2 h 5 min", "945 days 4 h". Never raw seconds beyond a minute.
// Plain function; any thread.
#include <string>

namespace platform {

std::string durationText(double seconds);

}  // namespace platform
