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

// A playable clip at `path`: a tiny video of `seconds` (one frame a second)
// with the track of `trackClip` copied as it is. "" or ffmpeg's complaint.
std::string addVideo(const std::string& trackClip, const std::string& path, int seconds);

}  // namespace testing_support
