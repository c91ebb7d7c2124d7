#include "trackindex/IndexedTrackReader.h"

#include "telemetry/TelemetryReaders.h"

void IndexedTrackReader::noteIndexTrouble() {
    if (index_ != nullptr && indexUsable_ && index_->failed()) {
        indexUsable_ = false;
        problem_ = index_->reason();
    }
}

std::string IndexedTrackReader::indexProblem() {
    noteIndexTrouble();
    std::string problem;
    problem.swap(problem_);
    return problem;
}

NativeTrackReader::Result IndexedTrackReader::read(const std::string& path, std::vector<TrackCue>& cues,
                                                   std::string& reason) {
    ClipReading reading;
    const NativeTrackReader::Result result = throughIndex(path, reading, reason, false);
    cues = std::move(reading.cues);
    return result;
}

NativeTrackReader::Result IndexedTrackReader::readClip(const std::string& path, ClipReading& reading,
                                                       std::string& reason) {
    return throughIndex(path, reading, reason, true);
}

NativeTrackReader::Result IndexedTrackReader::readDirect(const std::string& path, ClipReading& reading,
                                                         std::string& reason, bool anyLayout) {
    reading.clear();
    std::string why;
    const bool iso = anyLayout && readTelemetryFile(path, reading.telemetry, why, stop_);
    if (stop_ != nullptr && stop_->load()) {
        reading.clear();
        reason = "reading was stopped";
        return NativeTrackReader::Result::Unavailable;
    }
    const TelemetryFormat format = reading.telemetry.format;
    if (iso && format != TelemetryFormat::CameraText && format != TelemetryFormat::None) {
        if (!reading.telemetry.samples.empty()) return NativeTrackReader::Result::Track;
        reason = !reading.telemetry.problem.empty() ? reading.telemetry.problem : std::string(kNoData);
        return NativeTrackReader::Result::Failed;
    }
    // The camera's text track, or a container only FFmpeg knows.
    reading.telemetry.clear();
    const NativeTrackReader::Result result = reader_.read(path, reading.cues, reason);
    if (result == NativeTrackReader::Result::Track) {
        reading.telemetry.format = TelemetryFormat::CameraText;
    } else if (iso && format == TelemetryFormat::None && reason.rfind("has no subtitle track", 0) == 0) {
        reason = kNoData;  // a sound MP4 with nothing we read: say so, not which track it lacks
    }
    return result;
}

NativeTrackReader::Result IndexedTrackReader::throughIndex(const std::string& path, ClipReading& reading,
                                                           std::string& reason, bool anyLayout) {
    noteIndexTrouble();
    reading.clear();
    ClipKey before;
    const bool known = ClipKey::of(path, before);
    const bool useIndex = known && index_ != nullptr && indexUsable_;
    if (useIndex) {
        switch (index_->find(before, reading, reason)) {
            case TrackIndex::Lookup::Track:
                if (anyLayout || reading.cameraText()) return NativeTrackReader::Result::Track;
                break;
            case TrackIndex::Lookup::Unreadable:
                return NativeTrackReader::Result::Failed;
            case TrackIndex::Lookup::Missing:
                noteIndexTrouble();
                break;
        }
    }
    const NativeTrackReader::Result result = readDirect(path, reading, reason, anyLayout);
    if (!known) return result;
    ClipKey after;
    if (!ClipKey::of(path, after) || !(after == before)) {
        reading.clear();
        reason = "changed while it was read";
        return NativeTrackReader::Result::Unavailable;
    }
    // Only what the clip's content gives is kept: not a moment's trouble,
    // and not a track cut short.
    const bool lasting = result == NativeTrackReader::Result::Track || result == NativeTrackReader::Result::Failed;
    if (useIndex && indexUsable_ && lasting)
        index_->store(before, reading, result == NativeTrackReader::Result::Track ? std::string() : reason);
    noteIndexTrouble();
    return result;
}
