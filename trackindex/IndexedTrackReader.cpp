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

NativeTrackReader::Result IndexedTrackReader::readDirect(const std::string& path, ClipReading& reading,
                                                         std::string& reason) {
    reading.clear();
    cameraText_.forget();
    std::string why;
    const bool iso = readTelemetryFile(path, reading.telemetry, why, stop_, &cameraText_);
    if (stop_ != nullptr && stop_->load()) {
        reading.clear();
        reason = "reading was stopped";
        return NativeTrackReader::Result::Unavailable;
    }
    const TelemetryFormat format = reading.telemetry.format;
    if (iso && !cameraText_.tried() && format != TelemetryFormat::None) {
        if (!reading.telemetry.samples.empty()) return NativeTrackReader::Result::Track;
        reason = !reading.telemetry.problem.empty() ? reading.telemetry.problem : std::string(kNoData);
        return NativeTrackReader::Result::Failed;
    }
    // The camera's text track, or a container only FFmpeg knows.
    if (!cameraText_.tried()) cameraText_.readPath(path, reading.telemetry);
    const NativeTrackReader::Result result = cameraText_.result();
    reason = cameraText_.reason();
    if (!NativeTrackReader::gaveTrack(result)) {
        reading.clear();
        if (iso && format == TelemetryFormat::None && reason.rfind("has no subtitle track", 0) == 0)
            reason = kNoData;  // a sound MP4 with nothing we read: say so, not which track it lacks
    }
    return result;
}

NativeTrackReader::Result IndexedTrackReader::readClip(const std::string& path, ClipReading& reading,
                                                       std::string& reason) {
    noteIndexTrouble();
    reading.clear();
    ClipKey before;
    const bool known = ClipKey::of(path, before);
    const bool useIndex = known && index_ != nullptr && indexUsable_;
    if (useIndex) {
        switch (index_->find(before, reading, reason)) {
            case TrackIndex::Lookup::Track:
                return NativeTrackReader::Result::Track;
            case TrackIndex::Lookup::Unreadable:
                return NativeTrackReader::Result::Failed;
            case TrackIndex::Lookup::Missing:
                noteIndexTrouble();
                break;
        }
    }
    const NativeTrackReader::Result result = readDirect(path, reading, reason);
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
