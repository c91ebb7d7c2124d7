#pragma once
// Gives the track of one clip to the track files (the tool, the export):
// with the native reader (through the track index when asked; any camera
// layout) or through the converter (TrackFileExtractor; the camera's text
// track only, its records made samples with the camera's clock and no
// moment in the clip: clipMomentsKnown() is false), sampled as the options
// say. The writers convert to the map datum.
//
// Threads: the thread that made it (the tool's main thread, an export's worker).
#include "trackfile/TrackFileExtractor.h"
#include "trackfile/TrackFileOptions.h"
#include "trackindex/IndexedTrackReader.h"
#include "trackindex/TrackIndex.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ClipTrackSource {
public:
    using Result = TrackFileExtractor::Result;

    // index may be null.
    ClipTrackSource(const TrackFileOptions& options, TrackIndex* index);

    Result read(const std::string& path, std::vector<TelemetrySample>& samples, std::string& reason);

    // Whether the samples' moments in the clip are known (not with the converter).
    bool clipMomentsKnown() const { return !converter_; }

    // A signal's number there makes the converter give up the clip it reads.
    void setInterruptFlag(const std::atomic<int>* flag) {
        if (converter_) converter_->setInterruptFlag(flag);
    }

    // With the native reader: called with each clip's samples before they
    // are handed on, to leave out what the caller will not use (an
    // export's stretch of a long clip).
    void setTrim(std::function<void(ClipTelemetry&)> trim) { trim_ = std::move(trim); }

    // Why the index was given up; empty, or once its text.
    std::string indexProblem() { return native_.indexProblem(); }

    // What the last read() found with the native reader (format None
    // otherwise): the layout and its notes; the samples went to read()'s caller.
    const ClipReading& lastReading() const { return reading_; }

private:
    TrackFileOptions options_;
    IndexedTrackReader native_;
    std::unique_ptr<TrackFileExtractor> converter_;  // only for the ffmpeg reader
    ClipReading reading_;
    std::function<void(ClipTelemetry&)> trim_;
};
