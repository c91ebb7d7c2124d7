// Full-form parsing of arbitrary bytes, as the extraction hands over slots:
// directly, as a zero-terminated copy, and through a batch of the store.
#include "track/TrackBatchProcessor.h"
#include "track/TrackParser.h"
#include "track/TrackStore.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TrackParser viewParser;
    const bool fromView = viewParser.parse(bytes);
    const std::string copy(bytes);
    TrackParser textParser;
    const bool fromText = textParser.parse(copy.c_str());
    // Both entry points end the text at its first zero byte.
    if (fromView != fromText) std::abort();
    if (fromView) {
        const TrackRecord& r = viewParser.record();
        // Minutes and seconds are not range-checked, but never give inf or NaN.
        if (!std::isfinite(r.longitude) || !std::isfinite(r.latitude) || !std::isfinite(r.speed)) std::abort();
        if (r.longitudeHemisphere != 'E' && r.longitudeHemisphere != 'W') std::abort();
        if (r.latitudeHemisphere != 'N' && r.latitudeHemisphere != 'S') std::abort();
    }

    // Slots are fixed buffers that need not hold a terminator.
    TrackStore store;
    TrackBatchProcessor processor;
    processor.setStore(&store);
    processor.setConversion(static_cast<TrackMapConversion>(size % 3));
    TrackTextSlot slots[2]{};
    std::memcpy(slots[0].data(), data, std::min(size, slots[0].size()));
    if (size > slots[0].size())
        std::memcpy(slots[1].data(), data + slots[0].size(), std::min(size - slots[0].size(), slots[1].size()));
    if (processor.processBatch(0, slots) != 1 || store.getReadyPages() != 1 || store.getPage(0)->count() != 2)
        std::abort();
    return 0;
}
