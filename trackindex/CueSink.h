#pragma once
// Where a track reader hands a clip's cues, one at a time and in order, so a
// long clip's cues need not all be held: an hour is tens of thousands.
//
// Threads: the reading thread only; a sink serves one read at a time. It
// lives as long as the read it is given to.
#include <cstddef>
#include <cstdint>
#include <string_view>

class CueSink {
public:
    virtual ~CueSink() = default;
    // About how many cues are coming (to reserve for); before the first cue.
    virtual void expect(size_t cues) { static_cast<void>(cues); }
    // text lives only for the call: the reader reuses its buffer.
    virtual void cue(int64_t startMs, int64_t durationMs, std::string_view text) = 0;
    // What was handed so far does not count: the reader reads the clip
    // again another way, or gives up.
    virtual void restart() = 0;
};
