#pragma once
// What every reader fuzzer asks of a reader's output, whatever the bytes:
// samples in clip order, fixes on the earth, speeds, courses and G-forces
// real numbers, the limits kept, and a reason when a recognised clip gave no
// sample. A fault aborts. fuzzBoxReader() runs a reader of a layout in boxes
// on the fuzz bytes as a whole file.
#include "telemetry/TelemetryReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace testing_support {

inline void checkSoundTelemetry(const ClipTelemetry& out, bool probed) {
    if (out.samples.size() > ClipTelemetry::kSampleLimit || out.dropped.size() > ClipTelemetry::kNoteLimit)
        std::abort();
    if (probed && out.samples.empty() && out.problem.empty()) std::abort();
    const auto real = [](float v) { return std::isfinite(v) && std::fabs(v) <= 1e5f; };
    int64_t last = INT64_MIN;
    for (const TelemetrySample& s : out.samples) {
        if (s.clipMs < last) std::abort();
        last = s.clipMs;
        if (s.fix && !plausiblePosition(s.latitude, s.longitude)) std::abort();
        if (!std::isfinite(s.latitude) || !std::isfinite(s.longitude)) std::abort();
        if (s.hasSpeed && (!real(s.speedKmh) || s.speedKmh < 0)) std::abort();
        if (s.hasCourse && !real(s.courseDeg)) std::abort();
        if (s.hasAccel && (!real(s.accelX) || !real(s.accelY) || !real(s.accelZ))) std::abort();
    }
}

inline void fuzzBoxReader(const uint8_t* data, size_t size, const TelemetryReader& reader) {
    IsoFile file;
    std::string reason;
    if (!file.openBytes(std::string_view(reinterpret_cast<const char*>(data), size), reason)) return;
    const bool probed = reader.probe(file);
    ClipTelemetry out;
    reader.read(file, out);
    checkSoundTelemetry(out, probed);
}

}  // namespace testing_support
