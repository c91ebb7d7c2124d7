#include "trackindex/CameraTextReader.h"

#include "track/CameraTime.h"
#include "track/TelemetryRecords.h"
#include "track/TrackParser.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

// How many fields the parser reached in a text that parsed, up to the
// axes: the speed is read after the third slash, the axes after the fourth.
size_t slashesOf(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    size_t slashes = 0;
    for (size_t at = text.find('/'); at != std::string_view::npos && slashes < 4; at = text.find('/', at + 1))
        ++slashes;
    return slashes;
}

float gOf(int32_t count) {
    constexpr GSensorScale kScale;
    return static_cast<float>((static_cast<double>(count) - kScale.zeroCount) / kScale.countsPerG);
}

// Each cue made a sample as it is read, so an hour's texts are never held.
class CueSamples : public CueSink {
public:
    explicit CueSamples(ClipTelemetry& out)
        : out_(out), samplesBefore_(out.samples.size()), notesBefore_(out.dropped.size()) {
        out_.format = TelemetryFormat::CameraText;
        parser_.emplace();
    }

    void expect(size_t cues) override { out_.samples.reserve(samplesBefore_ + cues); }

    void cue(int64_t startMs, int64_t, std::string_view text) override {
        if (full_) return;
        TelemetrySample s;
        s.clipMs = startMs;
        if (parser_->parse(text)) {
            const TrackRecord& r = parser_->record();
            // Once both were read, every later sample has them: nothing to count.
            if (!axes_ || !speed_) {
                const size_t slashes = slashesOf(text);
                speed_ = speed_ || slashes >= 3;
                axes_ = axes_ || slashes >= 4;
            }
            int64_t seconds = 0;
            if (cameraSeconds(r, seconds)) {
                s.timeKind = TelemetryTime::Camera;
                s.timeMs = seconds * 1000;
            }
            s.latitude = r.latitude;
            s.longitude = r.longitude;
            s.fix = hasPositionFix(r) && plausiblePosition(r.latitude, r.longitude);
            s.hasSpeed = speed_;
            if (speed_) s.speedKmh = r.speed;
            s.hasAccel = axes_;
            if (axes_) s.accelX = gOf(r.accelX), s.accelY = gOf(r.accelY), s.accelZ = gOf(r.accelZ);
        }
        full_ = !out_.add(s);
    }

    void restart() override {
        out_.samples.resize(samplesBefore_);
        out_.dropped.resize(notesBefore_);
        parser_.emplace();
        speed_ = axes_ = full_ = false;
    }

private:
    ClipTelemetry& out_;
    size_t samplesBefore_;
    size_t notesBefore_;
    // Reused, as the store's parser is: fields a text leaves out keep the previous ones.
    std::optional<TrackParser> parser_;
    bool speed_ = false, axes_ = false, full_ = false;
};

}  // namespace

bool CameraTextReader::probe(const IsoFile& file) const {
    for (const IsoTrack& track : file.tracks())
        if (track.isText()) return true;
    return false;
}

void CameraTextReader::read(const IsoFile& file, ClipTelemetry& out) const {
    readPath(file.path(), out);
}

void CameraTextReader::readPath(const std::string& path, ClipTelemetry& out) const {
    out.clear();
    tried_ = true;
    reason_.clear();
    CueSamples samples(out);
    result_ = reader_.read(path, samples, reason_);
    if (!NativeTrackReader::gaveTrack(result_)) out.clear();
}

void CameraTextReader::samplesOfCues(const std::vector<TrackCue>& cues, ClipTelemetry& out) {
    CueSamples samples(out);
    samples.expect(cues.size());
    for (const TrackCue& cue : cues) samples.cue(cue.startMs, cue.durationMs, cue.text);
}
