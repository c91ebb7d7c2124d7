// The reader of Novatek freeGPS blocks, through the index or the search, on arbitrary bytes held in
// memory: never a crash or a hang, samples in clip order, every fix a place
// on earth, every number finite, and a reason whenever a probed clip gives
// no sample.
#include "telemetry/NovatekReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IsoFile file;
    std::string reason;
    if (!file.openBytes(std::string_view(reinterpret_cast<const char*>(data), size), reason)) return 0;
    const NovatekReader reader;
    const bool probed = reader.probe(file);
    ClipTelemetry out;
    reader.read(file, out);
    if (out.samples.size() > ClipTelemetry::kSampleLimit || out.dropped.size() > ClipTelemetry::kNoteLimit)
        std::abort();
    if (probed && out.samples.empty() && out.problem.empty()) std::abort();
    for (size_t i = 0; i < out.samples.size(); ++i) {
        const TelemetrySample& s = out.samples[i];
        if (i > 0 && s.clipMs < out.samples[i - 1].clipMs) std::abort();
        if (s.fix && !plausiblePosition(s.latitude, s.longitude)) std::abort();
        if (s.hasSpeed && !(std::isfinite(s.speedKmh) && s.speedKmh >= 0.0f)) std::abort();
        if (s.hasCourse && !std::isfinite(s.courseDeg)) std::abort();
        if (s.hasAccel && !(std::isfinite(s.accelX) && std::isfinite(s.accelY) && std::isfinite(s.accelZ)))
            std::abort();
    }
    return 0;
}
