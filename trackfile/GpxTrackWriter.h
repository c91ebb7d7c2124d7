#pragma once
// GPX 1.1: one track per clip with its position fixes in range (recorded
// WGS-84 positions), each with its time in UTC when the camera's date and
// time are a real moment and its speed in Garmin's TrackPointExtension (m/s),
// so other GPS tools read both; the km/h figure, the three axes and a car's
// own channels (named as the CSV's columns) are extensions of ours. A
// camera's clock is made UTC with the offset given; without a known zone its
// times are written as they stand, without a zone (xsd:dateTime allows
// that), and the metadata's description says so.
#include "trackfile/TrackWriter.h"

class GpxTrackWriter : public TrackWriter {
public:
    explicit GpxTrackWriter(int utcOffsetSeconds = 0) : utcOffsetSeconds_(utcOffsetSeconds) {}
    static constexpr const char* kUnknownZone = kTrackUnknownZone;
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) override;
    void end(std::string& out) override;

private:
    int utcOffsetSeconds_;
};
