#include "trackindex/TrackCueRecords.h"

#include "track/TrackBatchProcessor.h"
#include "track/TrackParser.h"

void recordsOfCues(const std::vector<TrackCue>& cues, TrackSampling sampling, std::vector<TrackRecord>& records,
                   std::vector<int64_t>& timesMs) {
    records.clear();
    timesMs.clear();
    TrackParser parser;  // reused, as the batch parser is: fields a parse does not reach stay
    const auto add = [&](const TrackCue& cue) {
        parser.parse(cue.text);
        // What a store page keeps of it.
        copyStoredFields(parser.record(), records.emplace_back());
        timesMs.push_back(cue.startMs);
    };
    records.reserve(cues.size() + 1);
    timesMs.reserve(cues.size() + 1);
    const size_t step = sampling == TrackSampling::All ? 1 : kPlayerSamplingKeepEvery;
    for (size_t i = 0; i < cues.size(); i += step) add(cues[i]);
    if (sampling == TrackSampling::Player && records.size() % kTrackBatchSlots != 0) add(cues.back());
}

void forEachCueRecord(const std::vector<TrackCue>& cues, const std::function<void(const TrackRecord&, int64_t)>& take) {
    TrackParser parser;  // reused, as in recordsOfCues: the same records
    TrackRecord stored;
    for (const TrackCue& cue : cues) {
        parser.parse(cue.text);
        stored = TrackRecord{};
        copyStoredFields(parser.record(), stored);
        take(stored, cue.startMs);
    }
}
