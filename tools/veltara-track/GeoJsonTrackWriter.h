#pragma once
// GeoJSON: a FeatureCollection with one LineString feature per clip, made
// of its valid records (recorded WGS-84 positions).
#include "TrackWriter.h"

class GeoJsonTrackWriter : public TrackWriter {
public:
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TrackRecord> records) override;
    void end(std::string& out) override;

private:
    bool first_ = true;
};
