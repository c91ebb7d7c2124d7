#pragma once
// Turns telemetry samples into the track records the views, trips, figures
// and events read: the date and time as it is shown (UTC and creation times
// moved into the display zone, a camera clock as recorded), the position
// with its degrees, minutes and seconds, the speed, and the G-sensor axes as
// counts of the chart's scale. Plain functions; any thread.
#include "telemetry/ClipTelemetry.h"
#include "telemetry/DisplayZone.h"
#include "track/TrackRecord.h"

#include <cstdint>
#include <vector>

// The scale the chart and the events read G-sensor counts on.
struct GSensorScale {
    double zeroCount = 2000.0;
    double countsPerG = 4000.0 / 12.0;
};

// A sample without a fix gives a valid record without a position (hasFix
// false, at 0/0 as the camera text says it); one without speed or G-sensor
// reading says so too; one without time leaves the date at zero. One
// without any reading gives an invalid record, which only marks its place.
TrackRecord trackRecordOf(const TelemetrySample& sample, const DisplayZone& zone, const GSensorScale& scale = {});

// What trackRecordOf makes of one G value: its count on the scale, rounded,
// the rest line for no finite number.
int32_t gSensorCount(float g, const GSensorScale& scale = {});

// Whether a sample holds any reading at all; one without is a place marker.
bool hasAnyReading(const TelemetrySample& sample);

// A record of the converter as a sample at clipMs: its date and time as the
// camera's clock (none when it is no real moment), its position as written
// with fix unless the camera wrote no fix, its speed and its counts in G.
// An invalid record gives a sample without any reading.
TelemetrySample telemetrySampleOf(const TrackRecord& record, int64_t clipMs = 0, const GSensorScale& scale = {});

// Every sample as a record, with its moment in the clip.
void recordsOfTelemetry(const ClipTelemetry& clip, const DisplayZone& zone, std::vector<TrackRecord>& records,
                        std::vector<int64_t>& timesMs, const GSensorScale& scale = {});

// The index of the sample at or last before clipMs (samples in clip order);
// 0 when clipMs is before the first, samples.size() when there are none.
size_t sampleAt(const std::vector<TelemetrySample>& samples, int64_t clipMs);

// The sample's date and time as a record shows it, in seconds since 1970:
// UTC and creation times moved into the zone, a camera clock as recorded;
// false without a date and time or outside the years a record can hold.
bool shownSeconds(const TelemetrySample& sample, const DisplayZone& zone, int64_t& seconds);
