#pragma once
// Reads the track of a clip in-process. A clip whose camera track
// PlainTextTrack reads exactly as the coders would is read without FFmpeg.
// Any other is read with libavformat: takes the clip's
// text subtitle stream (the one whose handler is "Ambarella EXT" when there
// are several), discards every other stream so no video or audio is read,
// and turns each cue into the text the converter path delivers: the cue is
// decoded and encoded to SRT with the same libavcodec coders the converter
// uses, framed as the SRT muxer frames it ("N\nhh:mm:ss,mmm --> ...\n" text
// "\n\n") and cut to 127 bytes. Cues that give no subtitle are skipped, as
// the converter skips them.
//
// What a failure comes from matters to the index: Failed is the clip's
// content (no track, a damaged container), which stays so until the file
// changes; Unavailable is the moment's (permission, a missing file, an I/O
// error, memory, FFmpeg's libraries, a stop), which the next try may not meet.
//
// Threads: a reader is used by one thread at a time; separate readers may
// run on separate threads. Each read opens and closes everything it uses;
// nothing outlives the call. The stop flag may be set from any thread: the
// read in hand gives up within one packet or one blocked input call.
#include "trackindex/CueSink.h"
#include "trackindex/CueText.h"
#include "trackindex/TrackCue.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class NativeTrackReader {
public:
    // Truncated: cues holds the first CUE_LIMIT cues of a clip that has more,
    // and reason says so.
    enum class Result { Track, Failed, Truncated, Unavailable };

    // cues: every cue in stream order (cleared first). reason: why the clip
    // gave no track.
    Result read(const std::string& path, std::vector<TrackCue>& cues, std::string& reason);
    // The same, each cue handed to sink as it is read: restart() when what
    // it was handed does not count (another way of reading the clip follows,
    // or the read gives up as Unavailable).
    Result read(const std::string& path, CueSink& sink, std::string& reason);
    // The same on a clip held in memory.
    Result readBytes(std::string_view bytes, std::vector<TrackCue>& cues, std::string& reason);

    // Read by every loop of a read; null (the default) never stops.
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

    // Track or Truncated: the clip gave cues.
    static bool gaveTrack(Result result) { return result == Result::Track || result == Result::Truncated; }

    // At most this many cues are read from one clip; more is a damaged clip.
    static constexpr size_t CUE_LIMIT = 2'000'000;
    // What one cue's text keeps, as a text slot of the converter path does.
    static constexpr size_t TEXT_LIMIT = CueText::TEXT_LIMIT;
    // The handler name that marks the camera's track among several.
    static constexpr const char* CAMERA_HANDLER = "Ambarella EXT";

private:
    const std::atomic<bool>* stop_ = nullptr;
};
