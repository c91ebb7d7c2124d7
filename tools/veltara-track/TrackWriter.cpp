#include "TrackWriter.h"

#include "CsvTrackWriter.h"
#include "GeoJsonTrackWriter.h"
#include "GpxTrackWriter.h"
#include "KmlTrackWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

TrackWriter::~TrackWriter() = default;

std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format) {
    switch (format) {
        case TrackFormat::Gpx:
            return std::make_unique<GpxTrackWriter>();
        case TrackFormat::Kml:
            return std::make_unique<KmlTrackWriter>();
        case TrackFormat::GeoJson:
            return std::make_unique<GeoJsonTrackWriter>();
        case TrackFormat::Csv:
            break;
    }
    return std::make_unique<CsvTrackWriter>();
}

std::string trackDecimal(double value, int decimals) {
    // Every format here needs a plain number; the parser never gives others.
    if (!std::isfinite(value)) return "0";
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    return std::string(text, end);
}

std::string trackTimestamp(const TrackRecord& r) {
    if (r.year < 1 || r.year > 9999 || r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31 || r.hour > 23 ||
        r.minute > 59 || r.second > 59)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", static_cast<int>(r.year), r.month, r.day, r.hour,
                  r.minute, r.second);
    return text;
}
