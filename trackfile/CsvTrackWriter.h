#pragma once
// CSV: a header and one line per sample, those without any reading included,
// in track order, with its moment in the clip (time_ms, empty when the
// reader does not know it). "valid" says the sample has a position fix (not
// the 0/0 a camera writes without one); a reading the moment does not have
// (position, speed, G-sensor) leaves its cells empty. The date and time are
// the camera clock's, the G-sensor's accel_x..z counts of the chart's scale;
// "plausible" says whether the date and time are a real moment and the
// position a fix within +-90 / +-180. The map coordinates are those of
// the chosen map datum. Trailing columns: the moment in UTC (ISO 8601, with
// milliseconds when the track's times have fractions, empty when unknown),
// the three axes in G (empty without a reading) and the clip's layout; then
// the car's own channels (steering_deg, accelerator_pct, brake,
// indicator_left, indicator_right as 0/1, gear as P/D/R/N, assist by name),
// empty where the car does not give them or the camera is no car.
#include "trackfile/TrackWriter.h"

class CsvTrackWriter : public TrackWriter {
public:
    explicit CsvTrackWriter(int utcOffsetSeconds = 0, TrackMapConversion conversion = TrackMapConversion::Copy)
        : utcOffsetSeconds_(utcOffsetSeconds), conversion_(conversion) {}
    void begin(std::string& out) override;
    void track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) override;
    void end(std::string& out) override;
    void clipFormat(TelemetryFormat format, bool gSensor) override;

private:
    int utcOffsetSeconds_;
    TrackMapConversion conversion_;
    TelemetryFormat format_ = TelemetryFormat::CameraText;
    bool gSensor_ = true;
};
