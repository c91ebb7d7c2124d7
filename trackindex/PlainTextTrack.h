#pragma once
// The camera's text track read without FFmpeg (our own ISO box reader),
// where that gives exactly the cues the mov_text decoder and the SRT encoder
// give, so the 34 ms of loading FFmpeg's libraries and the coders' work are
// saved on the common clip. It declines (NotPlain) whenever anything could
// differ, and the caller reads the clip with FFmpeg:
// - the file: a plain MP4/MOV (no fragments), at most 64 tracks, no
//   composition offsets, and edit lists of one entry at the normal rate
//   that play the media from its start (a sound track may start later), the
//   camera track's covering all of it; so every stream starts at 0 and a
//   sample's time is its decoding time, as FFmpeg then has it;
// - the track: the only tx3g track, or the one named "Ambarella EXT" among
//   tx3g tracks none of the others named alike; no other kind of text or
//   caption track; one sample description whose default style is the one the
//   SRT encoder adds nothing to (font "Arial" by its font table, size 16,
//   white, not bold, italic or underlined, centred at the bottom, no display
//   flags); a time scale; a sample table whose every entry is in the file
//   and fewer samples than the reader's cue limit;
// - every sample: a plain text (CueText::plain) of the sample's whole size
//   and no style boxes, or empty (no cue, as the decoder gives none).
//
// Threads: any; one call reads one clip. The stop flag may be set from any
// thread: the read gives up at its next sample.
#include "trackindex/CueSink.h"
#include "trackindex/TrackCue.h"

class IsoFile;

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

class PlainTextTrack {
public:
    enum class Outcome { Read, NotPlain, Stopped };

    // cues: every cue in order (cleared first); filled only on Read.
    static Outcome read(const std::string& path, const std::atomic<bool>* stop, std::vector<TrackCue>& cues);
    // The same, each cue handed to sink as it is read: what it was handed
    // counts only on Read (there is no restart() call).
    static Outcome read(const std::string& path, const std::atomic<bool>* stop, CueSink& sink);
    // The same on a clip held in memory.
    static Outcome readBytes(std::string_view bytes, std::vector<TrackCue>& cues);

private:
    static Outcome readOpened(const IsoFile& file, const std::atomic<bool>* stop, CueSink& sink);
};
