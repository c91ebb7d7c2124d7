#pragma once
// GPX 1.1: one track per clip with its valid records (recorded WGS-84
// positions); speed and the three axes are extensions.
#include "TrackWriter.h"

class GpxTrackWriter : public TrackWriter {
public:
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TrackRecord> records) override;
    void end(std::string& out) override;
};
