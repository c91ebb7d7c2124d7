#include "trackfile/GpxTrackWriter.h"

#include "track/TelemetryRecords.h"
#include "trackfile/TrackTextEscape.h"

#include <cmath>

namespace {

void element(std::string& out, std::string_view name, std::string_view value) {
    out += "<veltara:";
    out += name;
    out += '>';
    out += value;
    out += "</veltara:";
    out += name;
    out += '>';
}

// The car's channels in our namespace, with the CSV's names and values.
void vehicleElements(std::string& out, const VehicleChannels& v) {
    if (v.steeringDeg) element(out, "steering_deg", trackDecimal(*v.steeringDeg, 2));
    if (v.acceleratorPct) element(out, "accelerator_pct", trackDecimal(*v.acceleratorPct, 2));
    if (v.brake) element(out, "brake", *v.brake ? "1" : "0");
    if (v.indicatorLeft) element(out, "indicator_left", *v.indicatorLeft ? "1" : "0");
    if (v.indicatorRight) element(out, "indicator_right", *v.indicatorRight ? "1" : "0");
    if (v.gear) element(out, "gear", vehicleGearName(*v.gear));
    if (v.assist) element(out, "assist", driverAssistName(*v.assist));
}

}  // namespace

void GpxTrackWriter::begin(std::string& out) {
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"veltara-track\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\" "
        "xmlns:veltara=\"urn:veltara-dvr-player:track:1\">\n";
    if (!zoneKnown_) out += std::string("  <metadata>\n    <desc>") + kUnknownZone + "</desc>\n  </metadata>\n";
}

void GpxTrackWriter::track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) {
    out += "  <trk>\n    <name>" + xmlText(file) + "</name>\n    <trkseg>\n";
    const bool fraction = trackHasFractions(samples, utcOffsetSeconds_);
    for (const TelemetrySample& r : samples) {
        if (!trackPointDrawn(r)) continue;
        out += "      <trkpt lat=\"" + trackDecimal(r.latitude, 6) + "\" lon=\"" + trackDecimal(r.longitude, 6) + "\">";
        const std::string time = shownTimestamp(r, utcOffsetSeconds_, fraction);
        if (!time.empty()) out += "<time>" + time + "</time>";
        // What the moment has no reading of is left out, never written as 0.
        const bool speed = r.hasSpeed && std::isfinite(r.speedKmh);
        if (!speed && !r.hasAccel && !r.vehicle) {
            out += "</trkpt>\n";
            continue;
        }
        out += "<extensions>";
        if (speed)
            out += "<gpxtpx:TrackPointExtension><gpxtpx:speed>" + trackDecimal(r.speedKmh / 3.6, 3) +
                   "</gpxtpx:speed></gpxtpx:TrackPointExtension><veltara:speed_kmh>" + trackDecimal(r.speedKmh, 3) +
                   "</veltara:speed_kmh>";
        // The G-sensor as counts of the chart's scale, as the files have always had it.
        if (r.hasAccel)
            out += "<veltara:accel_x>" + std::to_string(gSensorCount(r.accelX)) +
                   "</veltara:accel_x><veltara:accel_y>" + std::to_string(gSensorCount(r.accelY)) +
                   "</veltara:accel_y><veltara:accel_z>" + std::to_string(gSensorCount(r.accelZ)) +
                   "</veltara:accel_z>";
        if (r.vehicle) vehicleElements(out, *r.vehicle);
        out += "</extensions></trkpt>\n";
        flushLarge(out);
    }
    out += "    </trkseg>\n  </trk>\n";
}

void GpxTrackWriter::end(std::string& out) {
    out += "</gpx>\n";
}
