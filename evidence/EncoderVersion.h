#pragma once
// The version of the H.264 encoder that made a video, as libx264 writes it
// into the stream itself ("x264 - core 164 r3108 31e19f9 - H.264/MPEG-4 AVC
// codec"): the encoder the FFmpeg program really used, learned without
// running anything.
//
// Threads: any; reads one file of a held folder, never through a link.
#include <string>

class EncoderVersion {
public:
    static constexpr size_t kScanBytes = 8u << 20;  // the encoder's note is in the first frame

    // "libx264 core 164 r3108 31e19f9"; "" when the video carries no such note.
    static std::string x264At(int dirFd, const std::string& name);
};
