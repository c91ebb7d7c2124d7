#pragma once
// KML 2.2: one placemark per clip. Its positions in range form a
// gx:Track (a "when" in UTC per "gx:coord", or a camera's clock as it
// stands when its zone is not known, which the document's description then
// says) when each has a real date and time, otherwise a plain LineString; a
// clip with fewer than two such positions keeps its placemark without a line.
#include "trackfile/TrackWriter.h"

class KmlTrackWriter : public TrackWriter {
public:
    explicit KmlTrackWriter(int utcOffsetSeconds = 0) : utcOffsetSeconds_(utcOffsetSeconds) {}
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) override;
    void end(std::string& out) override;

private:
    int utcOffsetSeconds_;
};
