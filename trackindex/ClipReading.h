#pragma once
// What reading one clip gave, whatever its layout: the camera's own text
// track as cues (read by the converter's path and parser), any other layout
// as telemetry samples. telemetry.format says which: CameraText means the
// cues hold the data. A plain value.
#include "telemetry/ClipTelemetry.h"
#include "trackindex/TrackCue.h"

#include <vector>

struct ClipReading {
    std::vector<TrackCue> cues;
    ClipTelemetry telemetry;

    TelemetryFormat format() const { return telemetry.format; }
    bool cameraText() const { return telemetry.format == TelemetryFormat::CameraText; }
    bool empty() const { return cameraText() ? cues.empty() : telemetry.samples.empty(); }
    void clear() {
        cues.clear();
        telemetry.clear();
    }
};
