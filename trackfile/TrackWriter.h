#pragma once
// Writes the tracks of one or more clips in one of the track file formats. The
// writer appends to a text that the caller flushes after each call, so a long
// list of clips never has to be held in memory.
//
// Threads: main only. Lifecycle: begin() once, track() once per clip that
// gave a track (clipFormat() before it), in the order the clips were given,
// end() once.
#include "telemetry/TelemetryFormat.h"
#include "track/TrackRecord.h"
#include "trackfile/TrackFileOptions.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class TrackWriter {
public:
    virtual ~TrackWriter();
    virtual void begin(std::string& out) = 0;
    // file: the name as given on the command line. timesMs: each record's cue
    // start in the clip, or empty when the reader does not know them.
    virtual void track(std::string& out, std::string_view file, std::span<const TrackRecord> records,
                       std::span<const int64_t> timesMs = {}) = 0;
    virtual void end(std::string& out) = 0;
    // The layout the next track() came from and whether it has G-sensor data.
    virtual void clipFormat(TelemetryFormat format, bool gSensor);
    // Whether the next track()'s times are GPS UTC or the camera's own clock.
    void clipClock(bool utc) { clipUtc_ = utc; }

protected:
    bool clipUtc_ = true;
};

// utcOffsetSeconds: how far the camera clock was ahead of UTC. zoneKnown
// false: no zone of the camera's clock was given, so its times cannot be
// made UTC; GPX then writes them as they stand, without a zone, and says so.
std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format, int utcOffsetSeconds = 0, bool zoneKnown = true);

// Helpers the formats share.
// "%.6f" in the C locale, whatever the process's locale is.
std::string trackDecimal(double value, int decimals);
// "YYYY-MM-DDThh:mm:ssZ" in UTC when the record's date and time are a real
// moment, else ""; with fraction "YYYY-MM-DDThh:mm:ss.mmmZ".
std::string trackTimestamp(const TrackRecord& record, int utcOffsetSeconds, bool fraction = false);
// Whether a track's times have fractions of a second: then every time is
// written with its milliseconds, else as whole seconds, as the camera gave them.
bool trackHasFractions(std::span<const TrackRecord> records);
// A position that maps and GIS tools can hold: within +-90 / +-180.
bool trackPositionInRange(const TrackRecord& record);
// A point of the geometry formats: a valid record with a position fix (not
// the 0/0 a camera writes without one) within range.
bool trackPointDrawn(const TrackRecord& record);
// A real date and time, a position fix and a position in range: what the CSV
// column "plausible" says.
bool trackRecordPlausible(const TrackRecord& record);
