#pragma once
// Reads the track of a clip in-process with libavformat: takes the clip's
// text subtitle stream (the one whose handler is "Ambarella EXT" when there
// are several), discards every other stream so no video or audio is read,
// and turns each cue into the text the converter path delivers: the cue is
// decoded and encoded to SRT with the same libavcodec coders the converter
// uses, framed as the SRT muxer frames it ("N\nhh:mm:ss,mmm --> ...\n" text
// "\n\n") and cut to 127 bytes. Cues that give no subtitle are skipped, as
// the converter skips them.
//
// Threads: a reader is used by one thread at a time; separate readers may
// run on separate threads. Each read opens and closes everything it uses;
// nothing outlives the call.
#include "trackindex/TrackCue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class NativeTrackReader {
public:
    enum class Result { Track, Failed };

    // cues: every cue in stream order (cleared first). reason: why the clip
    // gave no track.
    Result read(const std::string& path, std::vector<TrackCue>& cues, std::string& reason);
    // The same on a clip held in memory.
    Result readBytes(std::string_view bytes, std::vector<TrackCue>& cues, std::string& reason);

    // At most this many cues are read from one clip; more is a damaged clip.
    static constexpr size_t CUE_LIMIT = 2'000'000;
};
