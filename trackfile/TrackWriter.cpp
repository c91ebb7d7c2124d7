#include "trackfile/TrackWriter.h"

#include "trackfile/CsvTrackWriter.h"
#include "trackfile/FixedDecimal.h"
#include "trackfile/GeoJsonTrackWriter.h"
#include "trackfile/GpxTrackWriter.h"
#include "trackfile/KmlTrackWriter.h"

#include "platform/CivilTime.h"
#include "track/TelemetryRecords.h"

#include <cmath>
#include <cstdio>

TrackWriter::~TrackWriter() = default;

void TrackWriter::clipFormat(TelemetryFormat, bool) {}

std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format, int utcOffsetSeconds, bool zoneKnown,
                                             TrackMapConversion conversion) {
    std::unique_ptr<TrackWriter> writer;
    switch (format) {
        case TrackFormat::Gpx:
            writer = std::make_unique<GpxTrackWriter>(utcOffsetSeconds);
            break;
        case TrackFormat::Kml:
            writer = std::make_unique<KmlTrackWriter>(utcOffsetSeconds);
            break;
        case TrackFormat::GeoJson:
            writer = std::make_unique<GeoJsonTrackWriter>(utcOffsetSeconds);
            break;
        case TrackFormat::Csv:
            break;
    }
    if (!writer) writer = std::make_unique<CsvTrackWriter>(utcOffsetSeconds, conversion);  // CSV, the default
    writer->setZoneKnown(zoneKnown);
    return writer;
}

std::string TrackWriter::shownTimestamp(const TelemetrySample& sample, int utcOffsetSeconds, bool fraction) const {
    std::string time = trackTimestamp(sample, utcOffsetSeconds, writesUtc() ? utcOffsetSeconds : 0, fraction);
    if (!writesUtc() && !time.empty() && time.back() == 'Z') time.pop_back();
    return time;
}

std::string trackDecimal(double value, int decimals) {
    // Every format here needs a plain number; the parser never gives others.
    if (!std::isfinite(value)) return "0";
    char text[64];
    char* const end = writeFixedDecimal(text, text + sizeof text, value, decimals);
    if (!end) return "0";
    return std::string(text, end);
}

bool trackShownTime(const TelemetrySample& s, int utcOffsetSeconds, int64_t& seconds, int& millisecond) {
    if (!shownSeconds(s, DisplayZone::fixed(utcOffsetSeconds), seconds)) return false;
    millisecond = static_cast<int>(s.timeMs - platform::floorSeconds(s.timeMs) * 1000);
    return true;
}

std::string trackTimestamp(const TelemetrySample& s, int utcOffsetSeconds, int takeOffSeconds, bool fraction) {
    int64_t seconds = 0;
    int millisecond = 0;
    if (!trackShownTime(s, utcOffsetSeconds, seconds, millisecond)) return {};
    return platform::formatMilliseconds((seconds - takeOffSeconds) * 1000 + millisecond, true, fraction);
}

bool trackHasFractions(std::span<const TelemetrySample> samples, int utcOffsetSeconds) {
    int64_t seconds = 0;
    int millisecond = 0;
    for (const TelemetrySample& s : samples)
        if (s.timeKind != TelemetryTime::None && s.timeMs % 1000 != 0 &&
            trackShownTime(s, utcOffsetSeconds, seconds, millisecond))
            return true;
    return false;
}

bool trackHasFix(const TelemetrySample& s) {
    return s.fix && !(s.latitude == 0.0 && s.longitude == 0.0);
}

bool trackPositionInRange(const TelemetrySample& s) {
    return std::isfinite(s.latitude) && std::isfinite(s.longitude) && std::fabs(s.latitude) <= 90.0 &&
           std::fabs(s.longitude) <= 180.0;
}

bool trackPointDrawn(const TelemetrySample& s) {
    return trackHasFix(s) && trackPositionInRange(s);
}

bool trackSamplePlausible(const TelemetrySample& s, int utcOffsetSeconds) {
    int64_t seconds = 0;
    int millisecond = 0;
    return s.fix && trackShownTime(s, utcOffsetSeconds, seconds, millisecond) && trackPositionInRange(s);
}
