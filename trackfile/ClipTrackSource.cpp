#include "trackfile/ClipTrackSource.h"

#include "track/TelemetryRecords.h"
#include "track/TrackBatchProcessor.h"

#include <algorithm>

namespace {

// One record in ten and the last one again, as the player's track keeps.
void thinAsThePlayer(std::vector<TrackRecord>& records, std::vector<int64_t>& timesMs) {
    std::vector<TrackRecord> keptRecords;
    std::vector<int64_t> keptTimes;
    const size_t step = static_cast<size_t>(SubtitleExtractor::kKeepEvery);
    for (size_t i = 0; i < records.size(); i += step) {
        keptRecords.push_back(records[i]);
        keptTimes.push_back(timesMs[i]);
    }
    if (!records.empty() && keptRecords.size() % kTrackBatchSlots != 0) {
        keptRecords.push_back(records.back());
        keptTimes.push_back(timesMs.back());
    }
    records = std::move(keptRecords);
    timesMs = std::move(keptTimes);
}

}  // namespace

ClipTrackSource::ClipTrackSource(const TrackFileOptions& options, TrackIndex* index)
    : options_(options), native_(index) {
    if (options.reader == TrackReader::Ffmpeg)
        converter_ = std::make_unique<TrackFileExtractor>(SubtitleExtractor::standardConverterPath(), options);
}

ClipTrackSource::Result ClipTrackSource::read(const std::string& path, std::vector<TrackRecord>& records,
                                              std::vector<int64_t>& timesMs, std::string& reason) {
    records.clear();
    timesMs.clear();
    reading_.clear();
    if (converter_) return converter_->extract(path, records, reason);

    const NativeTrackReader::Result result = native_.readClip(path, reading_, reason);
    if (!NativeTrackReader::gaveTrack(result)) return Result::Failed;
    if (trim_) trim_(reading_.telemetry);
    recordsOfTelemetry(reading_.telemetry, DisplayZone::fixed(options_.utcOffsetSeconds), records, timesMs);
    if (options_.sampling == TrackSampling::Player) thinAsThePlayer(records, timesMs);
    // Page by page, as the player's store converts them.
    const TrackMapConversion conversion = options_.conversion();
    for (size_t at = 0; at < records.size(); at += kTrackBatchSlots)
        convertPage(conversion, records.data() + at,
                    static_cast<int32_t>(std::min(kTrackBatchSlots, records.size() - at)));
    return result == NativeTrackReader::Result::Truncated ? Result::PartialTrack : Result::Track;
}
