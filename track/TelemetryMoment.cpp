#include "track/TelemetryMoment.h"

#include "telemetry/TelemetryRecords.h"

#include <cmath>

namespace {

template <typename T>
T between(T a, T b, double f) {
    return static_cast<T>(static_cast<double>(a) + (static_cast<double>(b) - static_cast<double>(a)) * f);
}

// later - earlier (later >= earlier) is at most limit; damaged clips carry any 64-bit moment.
bool within(int64_t later, int64_t earlier, int64_t limit) {
    int64_t difference = 0;
    return !__builtin_sub_overflow(later, earlier, &difference) && difference <= limit;
}

}  // namespace

bool telemetryMomentAt(const std::vector<TelemetrySample>& samples, int64_t clipMs, TelemetrySample& moment) {
    if (samples.empty() || clipMs < samples.front().clipMs) return false;
    const size_t i = sampleAt(samples, clipMs);
    const TelemetrySample& a = samples[i];
    if (!within(clipMs, a.clipMs, kTelemetryHoldMs)) return false;
    moment = a;
    moment.clipMs = clipMs;
    if (i + 1 >= samples.size()) return true;
    const TelemetrySample& b = samples[i + 1];
    if (clipMs <= a.clipMs || !within(b.clipMs, a.clipMs, kTelemetryHoldMs)) return true;
    const int64_t span = b.clipMs - a.clipMs;
    const double f = static_cast<double>(clipMs - a.clipMs) / static_cast<double>(span);
    // Across the antimeridian a straight blend would cross the world.
    if (a.fix && b.fix && std::fabs(b.longitude - a.longitude) < 180.0) {
        moment.latitude = between(a.latitude, b.latitude, f);
        moment.longitude = between(a.longitude, b.longitude, f);
    }
    if (a.hasSpeed && b.hasSpeed) moment.speedKmh = between(a.speedKmh, b.speedKmh, f);
    if (a.timeKind == b.timeKind && a.timeKind != TelemetryTime::None && a.timeMs >= 0 && b.timeMs >= a.timeMs &&
        b.timeMs - a.timeMs <= 2 * span)
        moment.timeMs = a.timeMs + std::llround(static_cast<double>(b.timeMs - a.timeMs) * f);
    if (a.hasAccel && b.hasAccel) {
        moment.accelX = between(a.accelX, b.accelX, f);
        moment.accelY = between(a.accelY, b.accelY, f);
        moment.accelZ = between(a.accelZ, b.accelZ, f);
    }
    return true;
}
