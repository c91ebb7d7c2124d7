#include "trackindex/IndexedTrackReader.h"

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
    noteIndexTrouble();
    ClipKey before;
    const bool known = ClipKey::of(path, before);
    const bool useIndex = known && index_ != nullptr && indexUsable_;
    if (useIndex) {
        switch (index_->find(before, cues, reason)) {
            case TrackIndex::Lookup::Track:
                return NativeTrackReader::Result::Track;
            case TrackIndex::Lookup::Unreadable:
                return NativeTrackReader::Result::Failed;
            case TrackIndex::Lookup::Missing:
                noteIndexTrouble();
                break;
        }
    }
    const NativeTrackReader::Result result = reader_.read(path, cues, reason);
    if (!known) return result;
    ClipKey after;
    if (!ClipKey::of(path, after) || !(after == before)) {
        cues.clear();
        reason = "changed while it was read";
        return NativeTrackReader::Result::Unavailable;
    }
    // Only what the clip's content gives is kept: not a moment's trouble,
    // and not a track cut short.
    const bool lasting = result == NativeTrackReader::Result::Track || result == NativeTrackReader::Result::Failed;
    if (useIndex && indexUsable_ && lasting)
        index_->store(before, cues, result == NativeTrackReader::Result::Track ? std::string() : reason);
    noteIndexTrouble();
    return result;
}
