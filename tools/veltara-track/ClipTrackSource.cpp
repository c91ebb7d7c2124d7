#include "veltara-track/ClipTrackSource.h"

#include "track/TrackBatchProcessor.h"
#include "trackindex/TrackCueRecords.h"

#include <algorithm>

ClipTrackSource::ClipTrackSource(const TrackToolOptions& options, TrackIndex* index)
    : options_(options), native_(index) {
    if (options.reader == TrackReader::Ffmpeg)
        converter_ = std::make_unique<TrackFileExtractor>(SubtitleExtractor::standardConverterPath(), options);
}

ClipTrackSource::Result ClipTrackSource::read(const std::string& path, std::vector<TrackRecord>& records,
                                              std::vector<int64_t>& timesMs, std::string& reason) {
    records.clear();
    timesMs.clear();
    if (converter_) return converter_->extract(path, records, reason);

    const NativeTrackReader::Result result = native_.read(path, cues_, reason);
    if (!NativeTrackReader::gaveTrack(result)) return Result::Failed;
    recordsOfCues(cues_, options_.sampling, records, timesMs);
    // Page by page, as the player's store converts them.
    const TrackMapConversion conversion = options_.conversion();
    for (size_t at = 0; at < records.size(); at += kTrackBatchSlots)
        convertPage(conversion, records.data() + at,
                    static_cast<int32_t>(std::min(kTrackBatchSlots, records.size() - at)));
    return result == NativeTrackReader::Result::Truncated ? Result::PartialTrack : Result::Track;
}
