#pragma once
// What --info says of a clip: the layout of its data, how many samples and
// fixes it holds, its first and last moment with the kind of that time,
// whether it has G-sensor data, and what is wrong with its samples' order.
// Plain functions; main only.
#include "telemetry/TelemetryFormat.h"
#include "telemetry/TelemetrySample.h"
#include "track/TrackRecord.h"
#include "trackindex/ClipReading.h"

#include <cstddef>
#include <string>
#include <vector>

struct ClipInfo {
    std::string path;
    TelemetryFormat format = TelemetryFormat::None;
    size_t samples = 0;
    size_t fixes = 0;
    std::string first;  // ISO 8601; "Z" at the end for UTC and creation times; empty when none
    std::string last;
    TelemetryTime timeKind = TelemetryTime::None;
    bool gSensor = false;
    std::string order;  // ClipTelemetry::orderProblem; empty when in order
    bool cut = false;  // cut short (no index): the format reads "cut"
};

ClipInfo clipInfoOf(const std::string& path, const ClipReading& reading);

// One line per clip, tab-separated, under a header line.
std::string clipInfoText(const std::vector<ClipInfo>& clips);
// An array of objects with the keys path, format, samples, fixes, first, last, time_kind, g_sensor,
// order (null when in order).
std::string clipInfoJson(const std::vector<ClipInfo>& clips);
