// Live-form parsing of arbitrary bytes. The live form asks less than the full
// form, so whatever the full form accepts it must accept with the same
// date, position and speed.
#include "track/TrackParser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TrackParser live;
    TrackParser full;
    const bool liveValid = live.parseLive(text);
    const bool fullValid = full.parse(text);
    if (fullValid && !liveValid) std::abort();
    if (fullValid) {
        const TrackRecord& a = live.record();
        const TrackRecord& b = full.record();
        if (a.year != b.year || a.second != b.second || a.longitude != b.longitude || a.latitude != b.latitude)
            std::abort();
        if (std::memcmp(&a.speed, &b.speed, sizeof a.speed) != 0) std::abort();
    }
    if (live.record().accelX != 0 || live.record().accelY != 0 || live.record().accelZ != 0) std::abort();
    return 0;
}
