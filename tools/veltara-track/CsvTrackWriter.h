#pragma once
// CSV: a header and one line per stored record, invalid ones included, in
// track order, with the cue's start in the clip (time_ms, empty when the
// reader does not know it). Fields are written as parsed; "plausible" says
// whether the date and time are a real moment and the position lies within
// +-90 / +-180. The map coordinates are those of the chosen map datum.
#include "veltara-track/TrackWriter.h"

class CsvTrackWriter : public TrackWriter {
public:
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TrackRecord> records,
               std::span<const int64_t> timesMs = {}) override;
    void end(std::string& out) override;
};
