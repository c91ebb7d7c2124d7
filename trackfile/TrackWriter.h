#pragma once
// Writes the tracks of one or more clips in one of the track file formats. The
// writer appends to a text that the caller flushes after each call (and, with
// setFlush, within a long clip), so a long list of clips never has to be held
// in memory.
//
// Threads: main only. Lifecycle: begin() once, track() once per clip that
// gave a track (clipFormat() before it), in the order the clips were given,
// end() once.
#include "telemetry/TelemetryFormat.h"
#include "telemetry/TelemetrySample.h"
#include "trackfile/TrackFileOptions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class TrackWriter {
public:
    virtual ~TrackWriter();
    virtual void begin(std::string& out) = 0;
    // file: the name as given on the command line. samples: the clip's
    // moments in clip order, each written as one record of the format.
    virtual void track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) = 0;
    virtual void end(std::string& out) = 0;
    // The layout the next track() came from and whether it has G-sensor data.
    virtual void clipFormat(TelemetryFormat format, bool gSensor);
    // Whether the next track()'s times are GPS UTC or the camera's own clock.
    void clipClock(bool utc) { clipUtc_ = utc; }
    // Whether the next track()'s moments in the clip are known (the
    // converter does not give them).
    void clipMoments(bool known) { clipMoments_ = known; }
    // False when the zone of the cameras' clocks is not known: their times
    // cannot be made UTC, so they are written as they stand, without a Z.
    void setZoneKnown(bool known) { zoneKnown_ = known; }
    // Called within track() whenever the text has grown past kFlushBytes; it
    // writes the text out and empties it, so an hour of track is never held
    // (and paged in) as one text. Without it the text grows to the end.
    void setFlush(std::function<void(std::string&)> flush) { flush_ = std::move(flush); }

protected:
    static constexpr size_t kFlushBytes = 256 * 1024;
    bool flushing() const { return static_cast<bool>(flush_); }
    void flushLarge(std::string& out) {
        if (flush_ && out.size() >= kFlushBytes) flush_(out);
    }

    // The sample's time as the format writes it (trackTimestamp): UTC with a
    // Z, or a camera's clock of no known zone as it stands, without one.
    std::string shownTimestamp(const TelemetrySample& sample, int utcOffsetSeconds, bool fraction) const;
    bool writesUtc() const { return clipUtc_ || zoneKnown_; }

    bool clipUtc_ = true;
    bool clipMoments_ = true;
    bool zoneKnown_ = true;

private:
    std::function<void(std::string&)> flush_;
};

// utcOffsetSeconds: how far the camera clock was ahead of UTC. zoneKnown
// false: no zone of the camera's clock was given, so its times cannot be
// made UTC; they are written as they stand, without a zone, and GPX and KML
// say so.
// conversion: the map datum of the CSV's map columns.
std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format, int utcOffsetSeconds = 0, bool zoneKnown = true,
                                             TrackMapConversion conversion = TrackMapConversion::Copy);

// What GPX's and KML's descriptions say when the zone is not known.
inline constexpr const char* kTrackUnknownZone =
    "Times with a Z are UTC from GPS. Times without a zone are the camera's own clock as it stands: "
    "the time zone it was set to is not known.";

// Helpers the formats share.
// "%.6f" in the C locale, whatever the process's locale is.
std::string trackDecimal(double value, int decimals);
// The sample's date and time as the camera's clock shows it: a UTC or
// creation time moved by utcOffsetSeconds (what the clock was ahead of UTC),
// a camera clock as it stands. False without one, or outside the years
// 1970-9999.
bool trackShownTime(const TelemetrySample& sample, int utcOffsetSeconds, int64_t& seconds, int& millisecond);
// "YYYY-MM-DDThh:mm:ssZ" of the shown time less takeOffSeconds when the
// sample has one, else ""; with fraction "YYYY-MM-DDThh:mm:ss.mmmZ".
std::string trackTimestamp(const TelemetrySample& sample, int utcOffsetSeconds, int takeOffSeconds,
                           bool fraction = false);
// Whether a track's times have fractions of a second: then every time is
// written with its milliseconds, else as whole seconds, as the camera gave them.
bool trackHasFractions(std::span<const TelemetrySample> samples, int utcOffsetSeconds);
// A position fix: not the 0/0 a camera writes without one.
bool trackHasFix(const TelemetrySample& sample);
// A position that maps and GIS tools can hold: within +-90 / +-180.
bool trackPositionInRange(const TelemetrySample& sample);
// A point of the geometry formats: a position fix within range.
bool trackPointDrawn(const TelemetrySample& sample);
// A real date and time, a position fix and a position in range: what the CSV
// column "plausible" says.
bool trackSamplePlausible(const TelemetrySample& sample, int utcOffsetSeconds);
