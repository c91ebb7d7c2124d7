#pragma once
// What reading one clip gave, whatever its layout (the camera's own text
// track included): its telemetry samples and the layout they came from.
// A plain value.
#include "telemetry/ClipTelemetry.h"

struct ClipReading {
    ClipTelemetry telemetry;

    TelemetryFormat format() const { return telemetry.format; }
    bool empty() const { return telemetry.samples.empty(); }
    void clear() { telemetry.clear(); }
};
