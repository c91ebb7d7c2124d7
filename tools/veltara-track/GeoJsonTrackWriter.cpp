#include "GeoJsonTrackWriter.h"

#include "TrackTextEscape.h"

void GeoJsonTrackWriter::begin(std::string& out) {
    out += "{\"type\":\"FeatureCollection\",\"features\":[";
    first_ = true;
}

void GeoJsonTrackWriter::track(std::string& out, std::string_view file, std::span<const TrackRecord> records) {
    std::string coordinates;
    size_t points = 0;
    for (const TrackRecord& r : records) {
        if (!r.valid) continue;
        if (points++ > 0) coordinates += ',';
        coordinates += '[' + trackDecimal(r.longitude, 6) + ',' + trackDecimal(r.latitude, 6) + ']';
    }
    out += first_ ? "\n" : ",\n";
    first_ = false;
    out += "{\"type\":\"Feature\",\"properties\":{\"file\":" + jsonString(file) +
           ",\"records\":" + std::to_string(records.size()) + ",\"valid_records\":" + std::to_string(points) +
           "},\"geometry\":";
    // A LineString needs two positions; with fewer the feature has none.
    if (points >= 2)
        out += "{\"type\":\"LineString\",\"coordinates\":[" + coordinates + "]}}";
    else
        out += "null}";
}

void GeoJsonTrackWriter::end(std::string& out) {
    out += "\n]}\n";
}
