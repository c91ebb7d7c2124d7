// Event detection on arbitrary samples, as a damaged clip gives them: each
// 24 bytes are one sample (flags, time of day, speed, the three axes and a
// step of its moment), split into two clips of one trip, some of a car with
// its brake, some with G as a camera text's counts; and the settings'
// numbers from the first bytes as text. Every event must name a clip of the
// trip, a moment that is not negative and a peak that is a number.
#include "trip/EventDetector.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr int64_t kDayMs = int64_t{86400} * 1000;

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

    constexpr size_t kSample = 24;
    std::vector<TelemetrySample> samples[2];
    int64_t ms = 0;
    for (size_t at = 0; at + kSample <= size; at += kSample) {
        const uint8_t* p = data + at;
        const size_t clip = (p[0] & 0x80) ? 1 : 0;
        TelemetrySample s;
        // Now and then no time, or a UTC one; seconds of the day beyond a day too.
        if (p[0] & 1) {
            s.timeKind = (p[0] & 0x10) ? TelemetryTime::Utc : TelemetryTime::Camera;
            s.timeMs = kDayMs * 20794 + (p[1] % 30 * 3600 + p[2] % 60 * 60 + p[3] % 60) * int64_t{1000};
        }
        s.fix = (p[0] & 2) != 0;
        s.latitude = 48.0, s.longitude = 8.0;
        s.hasSpeed = (p[0] & 0x20) != 0;
        s.speedKmh = take<float>(p + 4);
        s.hasAccel = (p[0] & 0x40) != 0;
        s.accelX = take<float>(p + 8);  // any float: NaN, infinities, huge
        s.accelY = take<float>(p + 12);
        s.accelZ = take<float>(p + 16);
        if (p[0] & 0x08) s.vehicle.emplace().brake = (p[1] & 1) != 0;
        ms += take<int16_t>(p + 20);  // steps back too
        // Now and then a moment far out.
        s.clipMs = (p[0] & 4) ? take<int32_t>(p + 20) * int64_t{1000000} : ms;
        samples[clip].push_back(s);
    }
    // The second clip's G as counts, which the settings read on their own scale.
    const auto events = EventDetector().detect({EventClipTrack(samples[0]), EventClipTrack(samples[1], true)});
    for (const TripEvent& e : events)
        if (e.clip > 1 || e.timeMs < 0 || !std::isfinite(e.peakG)) std::abort();
    return 0;
}
