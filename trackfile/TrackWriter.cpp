#include "trackfile/TrackWriter.h"

#include "trackfile/CsvTrackWriter.h"
#include "trackfile/GeoJsonTrackWriter.h"
#include "trackfile/GpxTrackWriter.h"
#include "trackfile/KmlTrackWriter.h"

#include "track/CameraTime.h"

#include <charconv>
#include <cmath>
#include <cstdio>

TrackWriter::~TrackWriter() = default;

void TrackWriter::clipFormat(TelemetryFormat, bool) {}

std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format, int utcOffsetSeconds, bool zoneKnown) {
    switch (format) {
        case TrackFormat::Gpx:
            return std::make_unique<GpxTrackWriter>(utcOffsetSeconds, zoneKnown);
        case TrackFormat::Kml:
            return std::make_unique<KmlTrackWriter>(utcOffsetSeconds);
        case TrackFormat::GeoJson:
            return std::make_unique<GeoJsonTrackWriter>(utcOffsetSeconds);
        case TrackFormat::Csv:
            break;
    }
    return std::make_unique<CsvTrackWriter>(utcOffsetSeconds);
}

std::string trackDecimal(double value, int decimals) {
    // Every format here needs a plain number; the parser never gives others.
    if (!std::isfinite(value)) return "0";
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    return std::string(text, end);
}

std::string trackTimestamp(const TrackRecord& r, int utcOffsetSeconds, bool fraction) {
    int64_t seconds = 0;
    if (!cameraSeconds(r, seconds)) return {};
    return platform::formatMilliseconds((seconds - utcOffsetSeconds) * 1000 + r.millisecond % 1000, true, fraction);
}

bool trackHasFractions(std::span<const TrackRecord> records) {
    for (const TrackRecord& r : records)
        if (r.valid && r.millisecond != 0) return true;
    return false;
}

bool trackPositionInRange(const TrackRecord& r) {
    return std::isfinite(r.latitude) && std::isfinite(r.longitude) && std::fabs(r.latitude) <= 90.0 &&
           std::fabs(r.longitude) <= 180.0;
}

bool trackPointDrawn(const TrackRecord& r) {
    return hasPositionFix(r) && trackPositionInRange(r);
}

bool trackRecordPlausible(const TrackRecord& r) {
    int64_t seconds = 0;
    return r.valid && r.hasFix && cameraSeconds(r, seconds) && trackPositionInRange(r);
}
