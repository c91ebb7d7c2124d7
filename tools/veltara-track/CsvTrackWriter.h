#pragma once
// CSV: a header and one line per stored record, invalid ones included, in
// track order; the map coordinates are those of the chosen map datum.
#include "TrackWriter.h"

class CsvTrackWriter : public TrackWriter {
public:
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TrackRecord> records) override;
    void end(std::string& out) override;
};
