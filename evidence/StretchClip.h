#pragma once
// A clip as an export sees it: its video's length and when it was recorded,
// on the clock its track's records use (camera time, or UTC moved into the
// chosen zone), so that consecutive clips can be told from a gap.
#include <optional>
#include <string>

struct StretchClip {
    std::string path;
    double lengthSeconds = 0.0;
    std::optional<double> startSeconds;  // since 1970 on the records' clock; unknown when empty
};
