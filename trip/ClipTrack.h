#pragma once
// What reading one clip of the playlist gave: every sample of its track
// (each with its moment in the clip), and the clip's own figures; or why it
// has none.
// A plain value; once handed out (shared, const) any thread may read it.
#include "telemetry/TelemetryFormat.h"
#include "telemetry/TelemetrySample.h"
#include "trackindex/TrackFigures.h"
#include "vehicle/CarEventMark.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ClipTrack {
    std::string path;
    std::string problem;               // empty when the clip was read
    TelemetryFormat format = TelemetryFormat::None;  // the layout its data was found in
    std::string note;                  // what of a read clip was left out (a track cut short)
    std::string order;                 // ClipTelemetry::orderProblem(): samples kept out of order; "" in order
    std::vector<TelemetrySample> samples;  // every sample of the clip, in clip order
    TrackFigures figures;              // the clip's own
    // The car's saved or sentry event of the clip's folder; when the clip
    // has no position of its own, its first sample is the event's place.
    std::optional<CarEventMark> carEvent;

    bool readable() const { return problem.empty(); }
};
