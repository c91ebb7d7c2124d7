#pragma once
// The body of the fuzzers of the readers of layouts in tracks: the fuzz
// bytes become the samples of one track of a small in-memory clip (split at
// kSampleSeparator; the first byte picks the time scale and whether the clip
// has a creation time), and the reader probes and reads it. Whatever the
// bytes, what comes out must be sound (TelemetryFuzzChecks.h). A fault aborts.
#include "support/TelemetryFuzzChecks.h"
#include "support/TrackClipBytes.h"

#include "telemetry/TelemetryReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace testing_support {

inline constexpr std::string_view kSampleSeparator = "@@@@";

inline void fuzzTrackReader(const uint8_t* data, size_t size, const char* handler, const char* sampleEntry,
                            const TelemetryReader& reader) {
    if (size == 0) return;
    TrackClipSpec spec;
    spec.handler = handler;
    spec.sampleEntry = sampleEntry;
    static constexpr uint32_t kTimescales[] = {1000, 0, 90000, 1};
    spec.timescale = kTimescales[data[0] & 3];
    if (data[0] & 4) spec.creationUnixSeconds = 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (size_t cut; (cut = rest.find(kSampleSeparator)) != std::string_view::npos;) {
        spec.samples.emplace_back(rest.substr(0, cut));
        rest.remove_prefix(cut + kSampleSeparator.size());
    }
    spec.samples.emplace_back(rest);
    for (size_t i = 0; i < spec.samples.size(); ++i) spec.durations.push_back((data[0] & 8) ? 0u : static_cast<uint32_t>(1000 + 7 * i));

    const std::string bytes = trackClipBytes(spec);
    IsoFile file;
    std::string reason;
    if (!file.openBytes(bytes, reason)) std::abort();
    if (!reader.probe(file)) return;
    ClipTelemetry out;
    reader.read(file, out);
    if (out.format == TelemetryFormat::None) std::abort();
    checkSoundTelemetry(out, false);
}

}  // namespace testing_support
