#pragma once
// GPX 1.1: one track per clip with its valid records in range (recorded
// WGS-84 positions), each with its time in UTC when the camera's date and
// time are a real moment and its speed in Garmin's TrackPointExtension (m/s),
// so other GPS tools read both; the km/h figure, the three axes and a car's
// own channels (named as the CSV's columns) are extensions of ours.
#include "trackfile/TrackWriter.h"

class GpxTrackWriter : public TrackWriter {
public:
    explicit GpxTrackWriter(int utcOffsetSeconds = 0) : utcOffsetSeconds_(utcOffsetSeconds) {}
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TrackRecord> records,
               std::span<const int64_t> timesMs = {}) override;
    void end(std::string& out) override;

private:
    int utcOffsetSeconds_;
};
