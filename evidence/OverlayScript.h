#pragma once
// The ASS subtitle script that burns the data into an exported video: a
// band along the bottom edge with the date and time, the speed, the position
// and, where the data has a G-sensor, the horizontal G, and from a car that
// records itself its brake and driver-assistance state, one line per record
// shown until the next record. Only numbers this code formats reach the
// script, so no text of a clip can become a style or an override.
//
// Threads: any; pure.
#include "config/UnitSystem.h"
#include "evidence/OverlayMoment.h"
#include "track/TelemetryRecords.h"

#include <string>
#include <vector>

class OverlayScript {
public:
    static std::string make(const std::vector<OverlayMoment>& moments, double lengthSeconds, UnitSystem units,
                            const GSensorScale& scale = {});
    // The band's text of one record: "2026-12-07 10:00:05 +01:00  54 km/h  N22.56236 E113.93676  0.31 G",
    // the time in the zone the panel shows, that zone written (a car's adds "  Brake on  Autosteer").
    // A moment without a fix or G reading shows the last one of the moments
    // before it within a second, so the burned-in text does not blink where
    // the camera reads its sensors at different rates.
    static void holdReadings(std::vector<OverlayMoment>& moments);
    static std::string line(const TrackRecord& record, UnitSystem units, const GSensorScale& scale = {},
                            const std::string& zone = "UTC");
};
