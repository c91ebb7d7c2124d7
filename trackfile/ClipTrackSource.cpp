#include "trackfile/ClipTrackSource.h"

#include "track/TelemetryRecords.h"
#include "track/TrackBatchProcessor.h"

#include <algorithm>
#include <cmath>

namespace {

// One sample in ten and the last one again, as the player's track keeps.
void thinAsThePlayer(std::vector<TelemetrySample>& samples) {
    if (samples.empty()) return;
    const TelemetrySample last = samples.back();
    const size_t step = static_cast<size_t>(SubtitleExtractor::kKeepEvery);
    size_t kept = 0;
    for (size_t i = 0; i < samples.size(); i += step) samples[kept++] = samples[i];
    samples.resize(kept);
    if (kept % kTrackBatchSlots != 0) samples.push_back(last);
}

// What the records of the player's views never showed: a position that is
// no place on earth, a speed that is no number or below 0.
void keepShownReadings(TelemetrySample& s) {
    s.fix = s.fix && plausiblePosition(s.latitude, s.longitude);
    s.hasSpeed = s.hasSpeed && std::isfinite(s.speedKmh);
    if (s.hasSpeed) s.speedKmh = std::max(0.0f, s.speedKmh);
}

}  // namespace

ClipTrackSource::ClipTrackSource(const TrackFileOptions& options, TrackIndex* index)
    : options_(options), native_(index) {
    if (options.reader == TrackReader::Ffmpeg)
        converter_ = std::make_unique<TrackFileExtractor>(SubtitleExtractor::standardConverterPath(), options);
}

ClipTrackSource::Result ClipTrackSource::read(const std::string& path, std::vector<TelemetrySample>& samples,
                                              std::string& reason) {
    samples.clear();
    reading_.clear();
    if (converter_) {
        std::vector<TrackRecord> records;
        const Result result = converter_->extract(path, records, reason);
        samples.reserve(records.size());
        for (const TrackRecord& r : records) samples.push_back(telemetrySampleOf(r));
        return result;
    }

    const NativeTrackReader::Result result = native_.readClip(path, reading_, reason);
    if (!NativeTrackReader::gaveTrack(result)) return Result::Failed;
    if (trim_) trim_(reading_.telemetry);
    // Handed on, not copied: an hour of samples is megabytes.
    samples.swap(reading_.telemetry.samples);
    for (TelemetrySample& s : samples) keepShownReadings(s);
    if (options_.sampling == TrackSampling::Player) thinAsThePlayer(samples);
    return result == NativeTrackReader::Result::Truncated ? Result::PartialTrack : Result::Track;
}
