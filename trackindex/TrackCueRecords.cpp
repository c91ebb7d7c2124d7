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
        records.push_back(parser.record());
        timesMs.push_back(cue.startMs);
    };
    const size_t step = sampling == TrackSampling::All ? 1 : SubtitleExtractor::KEEP_EVERY;
    for (size_t i = 0; i < cues.size(); i += step) add(cues[i]);
    if (sampling == TrackSampling::Player && records.size() % TRACK_BATCH_SLOTS != 0) add(cues.back());
}
