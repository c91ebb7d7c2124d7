#pragma once
// Reads clips through the track index: a clip the index knows in its current
// state (ClipKey) comes from the index, failures of its content included; any
// other is read with NativeTrackReader and its result stored when it lasts
// (a track read whole, or a failure of the content). A clip that changes
// while it is read is reported as such (Unavailable, not stored).
// Once the index fails it is left alone for the rest of the reader's life;
// indexProblem() hands out why, once.
//
// Threads: one reader per thread; the index may be shared by several readers.
#include "trackindex/NativeTrackReader.h"
#include "trackindex/TrackIndex.h"

#include <string>
#include <vector>

class IndexedTrackReader {
public:
    // index may be null: then every clip is read directly.
    explicit IndexedTrackReader(TrackIndex* index) : index_(index) {}

    // See NativeTrackReader::setStopFlag.
    void setStopFlag(const std::atomic<bool>* stop) { reader_.setStopFlag(stop); }

    NativeTrackReader::Result read(const std::string& path, std::vector<TrackCue>& cues, std::string& reason);

    // Why the index stopped being used; empty, and after the first call empty again.
    std::string indexProblem();

private:
    void noteIndexTrouble();

    TrackIndex* index_;
    NativeTrackReader reader_;
    bool indexUsable_ = true;
    std::string problem_;
};
