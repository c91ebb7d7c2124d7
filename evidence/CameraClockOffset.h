#pragma once
// How far a camera's clock was off UTC, measured where a clip has both: the
// camera's time (the clip's creation time, which the camera stamps from its
// own clock, plus the moment in the clip) and GPS UTC in its samples. The
// median of every sample's difference is the offset; the smallest and the
// largest show how far the readings spread (the creation time has whole
// seconds, and a camera stamps it when it opens the file). The report states
// it and the custody log can record it as it stands.
//
// Threads: any; a plain value and pure functions.
#include "telemetry/TelemetrySample.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct CameraClockOffset {
    bool known = false;            // no clip had both clocks: the rest means nothing
    double medianSeconds = 0.0;    // camera clock less UTC: positive, the camera was ahead
    double minSeconds = 0.0;
    double maxSeconds = 0.0;
    size_t samples = 0;            // the differences it rests on

    // Adds one clip's differences (seconds) to `differences`: each sample
    // with GPS UTC against the creation time plus its moment in the clip.
    static void collect(int64_t creationSeconds, const std::vector<TelemetrySample>& samples,
                        std::vector<double>& differences);
    static CameraClockOffset of(std::vector<double> differences);
};
