#include "trackfile/GeoJsonTrackWriter.h"

#include "trackfile/TrackTextEscape.h"

void GeoJsonTrackWriter::begin(std::string& out) {
    out += "{\"type\":\"FeatureCollection\",\"features\":[";
    first_ = true;
}

void GeoJsonTrackWriter::track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) {
    std::string coordinates, times;
    size_t points = 0;
    const bool fraction = trackHasFractions(samples, utcOffsetSeconds_);
    for (const TelemetrySample& r : samples) {
        if (!trackPointDrawn(r)) continue;
        if (points++ > 0) coordinates += ',', times += ',';
        coordinates += '[' + trackDecimal(r.longitude, 6) + ',' + trackDecimal(r.latitude, 6) + ']';
        const std::string time = shownTimestamp(r, utcOffsetSeconds_, fraction);
        times += time.empty() ? "null" : '"' + time + '"';
    }
    out += first_ ? "\n" : ",\n";
    first_ = false;
    out += "{\"type\":\"Feature\",\"properties\":{\"file\":" + jsonString(file) +
           ",\"records\":" + std::to_string(samples.size()) + ",\"valid_records\":" + std::to_string(points);
    // A LineString needs two positions; with fewer the feature has none.
    if (points >= 2)
        out += ",\"coordTimes\":[" + times + "]},\"geometry\":{\"type\":\"LineString\",\"coordinates\":[" +
               coordinates + "]}}";
    else
        out += "},\"geometry\":null}";
}

void GeoJsonTrackWriter::end(std::string& out) {
    out += "\n]}\n";
}
