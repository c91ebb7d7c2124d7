// A track index row as a damaged or forged file gives it: what unpacks must
// be samples a clip can hold, a car's channels included, and packing them
// again must give bytes that unpack to the same samples.
#include "trackindex/TelemetryBlob.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<TelemetrySample> samples;
    if (!unpackSamples(std::string_view(reinterpret_cast<const char*>(data), size), samples)) return 0;
    if (!plausibleSamples(samples)) std::abort();
    for (const TelemetrySample& s : samples)
        if (s.vehicle && !plausibleVehicleChannels(*s.vehicle)) std::abort();
    const std::string packed = packSamples(samples);
    std::vector<TelemetrySample> again;
    if (!unpackSamples(packed, again) || again.size() != samples.size() || packSamples(again) != packed) std::abort();
    for (size_t i = 0; i < samples.size(); ++i)
        if (again[i].vehicle != samples[i].vehicle) std::abort();
    return 0;
}
