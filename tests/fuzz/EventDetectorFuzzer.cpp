// Event detection on arbitrary records, as a damaged clip gives them: each
// 24 bytes are one record (flags, camera second, speed, the three axes and a
// cue time step), split into two clips of one trip; and the settings' numbers
// from the first bytes as text. Every event must name a clip of the trip, a
// moment that is not negative and a peak that is a number.
#include "trip/EventDetector.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

template <typename T>
T take(const uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 16));
    const double parsed = EventSettings::parseSetting(text, 0.05, 5.0, 0.45);
    if (!(parsed >= 0.05 && parsed <= 5.0)) std::abort();

    constexpr size_t kRecord = 24;
    std::vector<TrackRecord> records[2];
    std::vector<int64_t> times[2];
    int64_t ms = 0;
    for (size_t at = 0; at + kRecord <= size; at += kRecord) {
        const uint8_t* p = data + at;
        const size_t clip = (p[0] & 0x80) ? 1 : 0;
        TrackRecord r;
        r.valid = (p[0] & 1) != 0;
        r.year = 2026, r.month = 12, r.day = 7;
        r.hour = static_cast<uint8_t>(p[1] % 30);  // now and then no real time
        r.minute = static_cast<uint8_t>(p[2] % 60);
        r.second = static_cast<uint8_t>(p[3] % 60);
        r.latitude = (p[0] & 2) ? 48.0 : 0.0;
        r.longitude = (p[0] & 2) ? 8.0 : 0.0;
        r.speed = take<float>(p + 4);
        r.accelX = take<int32_t>(p + 8);
        r.accelY = take<int32_t>(p + 12);
        r.accelZ = take<int32_t>(p + 16);
        ms += take<int16_t>(p + 20);  // steps back too
        records[clip].push_back(r);
        // Some records without a cue time.
        if (!(p[0] & 4)) times[clip].push_back((p[0] & 8) ? take<int32_t>(p + 20) * int64_t{1000000} : ms);
    }
    for (size_t c = 0; c < 2; ++c)
        if (times[c].size() > records[c].size()) times[c].resize(records[c].size());
    const auto events = EventDetector().detect({{records[0], times[0]}, {records[1], times[1]}});
    for (const TripEvent& e : events)
        if (e.clip > 1 || e.timeMs < 0 || !std::isfinite(e.peakG)) std::abort();
    return 0;
}
