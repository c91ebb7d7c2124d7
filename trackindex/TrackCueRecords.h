#pragma once
// Turns the cues of a clip into track records as the converter path stores
// them: each text parsed in the full form, kept as a store page keeps it; All keeps every cue, Player keeps
// cues 0, 10, 20, ... and ends with the last cue once more unless the kept
// count fills whole pages of 64. timesMs gets each record's cue start.
// A plain function; any thread.
#include "track/TrackSampling.h"
#include "track/TrackRecord.h"
#include "trackindex/TrackCue.h"

#include <cstdint>
#include <functional>
#include <vector>

void recordsOfCues(const std::vector<TrackCue>& cues, TrackSampling sampling, std::vector<TrackRecord>& records,
                   std::vector<int64_t>& timesMs);

// Every cue's record (All), handed over one by one and not kept: for a
// whole clip's figures without its records in memory.
void forEachCueRecord(const std::vector<TrackCue>& cues, const std::function<void(const TrackRecord&, int64_t)>& take);
