#include "KmlTrackWriter.h"

#include "TrackTextEscape.h"

void KmlTrackWriter::begin(std::string& out) {
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n  <name>veltara-track</name>\n";
}

void KmlTrackWriter::track(std::string& out, std::string_view file, std::span<const TrackRecord> records) {
    std::string coordinates;
    size_t points = 0;
    for (const TrackRecord& r : records) {
        if (!r.valid) continue;
        if (points++ > 0) coordinates += ' ';
        coordinates += trackDecimal(r.longitude, 6) + ',' + trackDecimal(r.latitude, 6);
    }
    out += "  <Placemark>\n    <name>" + xmlText(file) + "</name>\n";
    // A line needs two points; a clip with fewer keeps its place without one.
    if (points >= 2)
        out += "    <LineString>\n      <tessellate>1</tessellate>\n      <coordinates>" + coordinates +
               "</coordinates>\n    </LineString>\n";
    out += "  </Placemark>\n";
}

void KmlTrackWriter::end(std::string& out) {
    out += "</Document>\n</kml>\n";
}
