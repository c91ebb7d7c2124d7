#pragma once
// GeoJSON: a FeatureCollection with one LineString feature per clip, made
// of its positions in range (recorded WGS-84 positions); the property
// "coordTimes" gives each position's time in UTC, or without a zone for a
// camera's clock of no known zone (null where the camera's date and time are
// no real moment).
#include "trackfile/TrackWriter.h"

class GeoJsonTrackWriter : public TrackWriter {
public:
    explicit GeoJsonTrackWriter(int utcOffsetSeconds = 0) : utcOffsetSeconds_(utcOffsetSeconds) {}
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) override;
    void end(std::string& out) override;

private:
    int utcOffsetSeconds_;
    bool first_ = true;
};
