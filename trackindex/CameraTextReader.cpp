#include "trackindex/CameraTextReader.h"

#include "track/CameraTime.h"
#include "track/TelemetryRecords.h"
#include "track/TrackParser.h"

#include <algorithm>
#include <cstring>

namespace {

// How many fields the parser reached in a text that parsed: the speed is
// read after the third slash, the axes after the fourth.
size_t slashesOf(const std::string& text) {
    const void* nul = std::memchr(text.data(), 0, text.size());
    const auto end = nul != nullptr ? text.begin() + (static_cast<const char*>(nul) - text.data()) : text.end();
    return static_cast<size_t>(std::count(text.begin(), end, '/'));
}

float gOf(int32_t count) {
    constexpr GSensorScale kScale;
    return static_cast<float>((static_cast<double>(count) - kScale.zeroCount) / kScale.countsPerG);
}

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
    result_ = reader_.read(path, cues_, reason_);
    if (NativeTrackReader::gaveTrack(result_)) samplesOfCues(cues_, out);
    cues_.clear();
    cues_.shrink_to_fit();
}

void CameraTextReader::samplesOfCues(const std::vector<TrackCue>& cues, ClipTelemetry& out) {
    out.format = TelemetryFormat::CameraText;
    out.samples.reserve(out.samples.size() + cues.size());
    TrackParser parser;  // reused, as the store's parser is: fields a text leaves out keep the previous ones
    bool speed = false, axes = false;
    for (const TrackCue& cue : cues) {
        TelemetrySample s;
        s.clipMs = cue.startMs;
        if (parser.parse(cue.text)) {
            const TrackRecord& r = parser.record();
            const size_t slashes = slashesOf(cue.text);
            speed = speed || slashes >= 3;
            axes = axes || slashes >= 4;
            int64_t seconds = 0;
            if (cameraSeconds(r, seconds)) {
                s.timeKind = TelemetryTime::Camera;
                s.timeMs = seconds * 1000;
            }
            s.latitude = r.latitude;
            s.longitude = r.longitude;
            s.fix = hasPositionFix(r) && plausiblePosition(r.latitude, r.longitude);
            s.hasSpeed = speed;
            if (speed) s.speedKmh = r.speed;
            s.hasAccel = axes;
            if (axes) s.accelX = gOf(r.accelX), s.accelY = gOf(r.accelY), s.accelZ = gOf(r.accelZ);
        }
        if (!out.add(s)) break;
    }
}
