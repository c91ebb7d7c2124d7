#pragma once
// KML 2.2: one placemark per clip with a LineString of its valid records
// (recorded WGS-84 positions).
#include "TrackWriter.h"

class KmlTrackWriter : public TrackWriter {
public:
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TrackRecord> records) override;
    void end(std::string& out) override;
};
