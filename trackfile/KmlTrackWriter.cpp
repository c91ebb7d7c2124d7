#include "trackfile/KmlTrackWriter.h"

#include "trackfile/TrackTextEscape.h"

#include <vector>

void KmlTrackWriter::begin(std::string& out) {
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
        "<Document>\n  <name>veltara-track</name>\n";
    if (!zoneKnown_) out += std::string("  <description>") + kTrackUnknownZone + "</description>\n";
}

void KmlTrackWriter::track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) {
    std::vector<const TelemetrySample*> points;
    std::vector<std::string> times;
    bool allTimed = true;
    const bool fraction = trackHasFractions(samples, utcOffsetSeconds_);
    for (const TelemetrySample& r : samples) {
        if (!trackPointDrawn(r)) continue;
        points.push_back(&r);
        times.push_back(shownTimestamp(r, utcOffsetSeconds_, fraction));
        allTimed = allTimed && !times.back().empty();
    }
    out += "  <Placemark>\n    <name>" + xmlText(file) + "</name>\n";
    if (points.size() >= 2 && allTimed) {
        out += "    <gx:Track>\n";
        for (const std::string& time : times) out += "      <when>" + time + "</when>\n";
        for (const TelemetrySample* r : points)
            out += "      <gx:coord>" + trackDecimal(r->longitude, 6) + ' ' + trackDecimal(r->latitude, 6) +
                   " 0</gx:coord>\n";
        out += "    </gx:Track>\n";
    } else if (points.size() >= 2) {
        std::string coordinates;
        for (const TelemetrySample* r : points) {
            if (!coordinates.empty()) coordinates += ' ';
            coordinates += trackDecimal(r->longitude, 6) + ',' + trackDecimal(r->latitude, 6);
        }
        out += "    <LineString>\n      <tessellate>1</tessellate>\n      <coordinates>" + coordinates +
               "</coordinates>\n    </LineString>\n";
    }
    out += "  </Placemark>\n";
}

void KmlTrackWriter::end(std::string& out) {
    out += "</Document>\n</kml>\n";
}
