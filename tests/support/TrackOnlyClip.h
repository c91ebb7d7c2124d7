#pragma once
// A clip of nothing but a camera track (a mov_text stream named "Ambarella
// EXT"), written byte by byte: ffmpeg needs minutes for the millions of cues
// a hostile clip may hold, this takes a fraction of a second.
#include <cstddef>
#include <functional>
#include <string>

namespace testing_support {

// cues texts, text(i) for cue i, each cueMs long. "" or what failed.
std::string writeTrackOnlyClip(const std::string& path, size_t cues, int cueMs,
                               const std::function<std::string(size_t)>& text);

}  // namespace testing_support
