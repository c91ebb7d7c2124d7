#pragma once
// Finds the car's event for a clip of a saved or sentry folder and gives a
// clip without a position the event's place: a parked car's clips usually
// carry no data of their own, and the place the car estimated stands for
// them on the map.
//
// Pure apart from listing the clip's folder and reading its event.json;
// any thread (the trip reader's worker, the command-line tool).
#include "telemetry/TelemetrySample.h"
#include "track/TrackRecord.h"
#include "vehicle/CarEventMark.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CarEventOfClip {
public:
    static constexpr int64_t kClipSeconds = 60;  // the car's clips last a minute at most

    // None for a clip outside a saved or sentry folder or a name the naming
    // table does not give a start.
    static std::optional<CarEventMark> find(const std::string& clipPath);
    // For a clip without a position fix and an event with a place: one
    // record there at the clip's start (its name's time), first. True when added.
    static bool place(const std::string& clipPath, const CarEventMark& mark, std::vector<TrackRecord>& records,
                      std::vector<int64_t>& timesMs);
    // The same for a clip's samples: one at the clip's start, on the car's clock.
    static bool place(const std::string& clipPath, const CarEventMark& mark, std::vector<TelemetrySample>& samples);
};
