#pragma once
// The car at one moment of a clip, from the clip's telemetry samples: between
// two samples close enough together the position, speed, time and G-forces
// are interpolated, so a marker and a panel fed once a second still follow a
// paused picture to the frame. Plain functions; any thread.
#include "telemetry/TelemetrySample.h"

#include <cstdint>
#include <vector>

// A sample older than this is no longer where the car is: a gap in the data.
constexpr int64_t kTelemetryHoldMs = 3000;

// The moment at clipMs of samples in clip order: false before the first
// sample and more than kTelemetryHoldMs after the one before clipMs.
bool telemetryMomentAt(const std::vector<TelemetrySample>& samples, int64_t clipMs, TelemetrySample& moment);
