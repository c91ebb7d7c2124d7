#pragma once
// What reading one clip of the playlist gave: every record of its track with
// each record's cue start, and the clip's own figures; or why it has none.
// A plain value; once handed out (shared, const) any thread may read it.
#include "telemetry/TelemetryFormat.h"
#include "track/TrackRecord.h"
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
    std::vector<TrackRecord> records;  // every cue of the clip, in order
    std::vector<int64_t> timesMs;      // each record's cue start in the clip
    TrackFigures figures;              // the clip's own
    // The car's saved or sentry event of the clip's folder; when the clip
    // has no position of its own, its first record is the event's place.
    std::optional<CarEventMark> carEvent;

    bool readable() const { return problem.empty(); }
};
