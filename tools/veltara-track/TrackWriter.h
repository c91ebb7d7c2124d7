#pragma once
// Writes the tracks of one or more clips in one of the tool's formats. The
// writer appends to a text that the caller flushes after each call, so a long
// list of clips never has to be held in memory.
//
// Threads: main only. Lifecycle: begin() once, track() once per clip that
// gave a track, in the order the clips were given, end() once.
#include "TrackToolOptions.h"
#include "track/TrackRecord.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

class TrackWriter {
public:
    virtual ~TrackWriter();
    virtual void begin(std::string& out) = 0;
    // file: the name as given on the command line.
    virtual void track(std::string& out, std::string_view file, std::span<const TrackRecord> records) = 0;
    virtual void end(std::string& out) = 0;
};

std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format);

// Helpers the formats share.
// "%.6f" in the C locale, whatever the process's locale is.
std::string trackDecimal(double value, int decimals);
// "YYYY-MM-DDThh:mm:ss" when the record's date and time can be one, else "".
std::string trackTimestamp(const TrackRecord& record);
