#pragma once
// A sink that keeps every cue in a list, for the readers' callers that want
// them all at once.
//
// Threads: as CueSink.
#include "trackindex/CueSink.h"
#include "trackindex/TrackCue.h"

#include <string>
#include <vector>

class CueList : public CueSink {
public:
    // cues: cleared, then filled.
    explicit CueList(std::vector<TrackCue>& cues) : cues_(cues) { cues_.clear(); }

    void expect(size_t cues) override { cues_.reserve(cues); }
    void cue(int64_t startMs, int64_t durationMs, std::string_view text) override {
        TrackCue& cue = cues_.emplace_back();
        cue.startMs = startMs;
        cue.durationMs = durationMs;
        cue.text.assign(text);
    }
    void restart() override { cues_.clear(); }

private:
    std::vector<TrackCue>& cues_;
};
