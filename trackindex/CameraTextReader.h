#pragma once
// The camera's own text track as telemetry samples: the reader that takes
// the camera text's place in the table of layouts (telemetry/TelemetryReaders),
// for a clip whose data is a text subtitle track. The cues come from
// NativeTrackReader (the short way when the track is plain, FFmpeg's coders
// otherwise, as the converter would give them); each is parsed as it is read
// (never all held), as the player's store parses it, and becomes one sample
// at the cue's start: the camera's clock (no zone), a fix only where the
// position is a place, the speed, and the G-sensor counts in G on the
// chart's scale (2000 at 0 G, 4000/12 a G), which turn back into the same
// counts. A text that does not parse is a sample without any reading. One
// that leaves out the speed or the axes keeps the previous text's, as the
// store does; before the first text that has them the samples have none.
//
// Threads: one reader per thread, as it keeps the outcome of its last read
// (tried(), result(), reason()). The stop flag may be set from any thread.
#include "telemetry/TelemetryReader.h"
#include "trackindex/NativeTrackReader.h"
#include "trackindex/TrackCue.h"

#include <atomic>
#include <string>
#include <vector>

class CameraTextReader : public TelemetryReader {
public:
    bool probe(const IsoFile& file) const override;
    void read(const IsoFile& file, ClipTelemetry& out) const override;
    // The same for a clip in a container only FFmpeg knows.
    void readPath(const std::string& path, ClipTelemetry& out) const;

    void setStopFlag(const std::atomic<bool>* stop) { reader_.setStopFlag(stop); }

    // Whether a read ran since forget(), and how it ended.
    void forget() const { tried_ = false; }
    bool tried() const { return tried_; }
    NativeTrackReader::Result result() const { return result_; }
    const std::string& reason() const { return reason_; }

    // Format CameraText and one sample per cue, in cue order.
    static void samplesOfCues(const std::vector<TrackCue>& cues, ClipTelemetry& out);

private:
    mutable NativeTrackReader reader_;
    mutable bool tried_ = false;
    mutable NativeTrackReader::Result result_ = NativeTrackReader::Result::Failed;
    mutable std::string reason_;
};
