#pragma once
// Reads clips through the track index: a clip the index knows in its current
// state (ClipKey) comes from the index, failures of its content included; any
// other is read and its result stored when it lasts (a track read whole, or a
// failure of the content). readClip() finds the clip's layout in the table
// (telemetry/TelemetryReaders, with CameraTextReader in the camera text's
// place) and reads it; a container only FFmpeg knows is read as the camera's
// text track. A clip that changes while it is read is reported as such
// (Unavailable, not stored).
// Once the index fails it is left alone for the rest of the reader's life;
// indexProblem() hands out why, once.
//
// Threads: one reader per thread; the index may be shared by several readers.
#include "trackindex/CameraTextReader.h"
#include "trackindex/ClipReading.h"
#include "trackindex/NativeTrackReader.h"
#include "trackindex/TrackIndex.h"

#include <string>
#include <vector>

class IndexedTrackReader {
public:
    // index may be null: then every clip is read directly.
    explicit IndexedTrackReader(TrackIndex* index) : index_(index) {}

    // See NativeTrackReader::setStopFlag.
    void setStopFlag(const std::atomic<bool>* stop) {
        stop_ = stop;
        cameraText_.setStopFlag(stop);
    }

    // Any layout. Failed with reason kNoData when the clip holds none we know.
    NativeTrackReader::Result readClip(const std::string& path, ClipReading& reading, std::string& reason);

    static constexpr const char* kNoData = "no GPS data found";

    // Why the index stopped being used; empty, and after the first call empty again.
    std::string indexProblem();

private:
    void noteIndexTrouble();
    // Reads the clip itself, not through the index.
    NativeTrackReader::Result readDirect(const std::string& path, ClipReading& reading, std::string& reason);

    TrackIndex* index_;
    CameraTextReader cameraText_;
    const std::atomic<bool>* stop_ = nullptr;
    bool indexUsable_ = true;
    std::string problem_;
};
