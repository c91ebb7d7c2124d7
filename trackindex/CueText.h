#pragma once
// A cue's text as the converter path delivers it: framed as the SRT muxer
// frames a cue ("N\nhh:mm:ss,mmm --> hh:mm:ss,mmm\n" text "\n\n") and cut
// as a text slot is (TEXT_LIMIT bytes, from the first non-zero byte to the
// next zero byte); and which mov_text texts the coders pass unchanged.
// Pure functions; any thread.
#include <cstddef>
#include <cstdint>
#include <string>

class CueText {
public:
    static constexpr size_t TEXT_LIMIT = 127;

    static void frame(uint64_t number, int64_t startMs, int64_t endMs, const uint8_t* text, size_t length,
                      std::string& out);
    // Printable ASCII without markup characters, not starting or ending in a
    // blank: the mov_text decoder and the SRT encoder give it back as it is,
    // inside whatever the stream's style wraps around every text.
    static bool plain(const uint8_t* text, size_t length);
};
