#include "track/TelemetryMoment.h"

#include "track/TelemetryRecords.h"

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

constexpr size_t kNone = static_cast<size_t>(-1);
// How far a look for a channel's reading goes; damaged clips may hold any times.
constexpr size_t kLookLimit = 4096;

// The readings of one channel around clipMs: the last at or before it within
// the hold, the next after it within the hold of that one, and how far
// between them clipMs lies.
struct Around {
    size_t before = kNone;
    size_t after = kNone;
    double f = 0.0;
};

template <typename Has>
Around around(const std::vector<TelemetrySample>& samples, size_t i, int64_t clipMs, Has has) {
    Around a;
    for (size_t k = i, looked = 0; looked < kLookLimit; --k, ++looked) {
        const TelemetrySample& s = samples[k];
        if (s.clipMs <= clipMs && !within(clipMs, s.clipMs, kTelemetryHoldMs)) break;
        if (has(s) && s.clipMs <= clipMs) {
            a.before = k;
            break;
        }
        if (k == 0) break;
    }
    if (a.before == kNone) return a;
    const int64_t from = samples[a.before].clipMs;
    if (clipMs <= from) return a;
    for (size_t k = i + 1, looked = 0; k < samples.size() && looked < kLookLimit; ++k, ++looked) {
        const TelemetrySample& s = samples[k];
        if (s.clipMs > from && !within(s.clipMs, from, kTelemetryHoldMs)) break;
        if (has(s) && s.clipMs > clipMs) {
            a.after = k;
            a.f = static_cast<double>(clipMs - from) / static_cast<double>(s.clipMs - from);
            break;
        }
    }
    return a;
}

}  // namespace

bool telemetryMomentAt(const std::vector<TelemetrySample>& samples, int64_t clipMs, TelemetrySample& moment) {
    if (samples.empty() || clipMs < samples.front().clipMs) return false;
    const size_t i = sampleAt(samples, clipMs);
    const TelemetrySample& a = samples[i];
    if (!within(clipMs, a.clipMs, kTelemetryHoldMs)) return false;
    moment = a;
    moment.clipMs = clipMs;
    if (i + 1 < samples.size()) {
        const TelemetrySample& b = samples[i + 1];
        const int64_t span = b.clipMs - a.clipMs;
        if (clipMs > a.clipMs && within(b.clipMs, a.clipMs, kTelemetryHoldMs) && a.timeKind == b.timeKind &&
            a.timeKind != TelemetryTime::None && a.timeMs >= 0 && b.timeMs >= a.timeMs &&
            b.timeMs - a.timeMs <= 2 * span) {
            const double f = static_cast<double>(clipMs - a.clipMs) / static_cast<double>(span);
            moment.timeMs = a.timeMs + std::llround(static_cast<double>(b.timeMs - a.timeMs) * f);
        }
    }
    // Each channel from its own readings: a camera that gives G ten times
    // for each fix still has its last position between two fixes, and a
    // moment without a G reading takes its neighbours', never zeros.
    Around fix = around(samples, i, clipMs, [](const TelemetrySample& s) { return s.fix; });
    moment.fix = fix.before != kNone;
    if (moment.fix) {
        const TelemetrySample& p = samples[fix.before];
        moment.latitude = p.latitude;
        moment.longitude = p.longitude;
        // Across the antimeridian a straight blend would cross the world.
        if (fix.after != kNone && std::fabs(samples[fix.after].longitude - p.longitude) < 180.0) {
            moment.latitude = between(p.latitude, samples[fix.after].latitude, fix.f);
            moment.longitude = between(p.longitude, samples[fix.after].longitude, fix.f);
        }
    }
    Around speed = around(samples, i, clipMs, [](const TelemetrySample& s) { return s.hasSpeed; });
    moment.hasSpeed = speed.before != kNone;
    if (moment.hasSpeed) {
        moment.speedKmh = samples[speed.before].speedKmh;
        if (speed.after != kNone)
            moment.speedKmh = between(moment.speedKmh, samples[speed.after].speedKmh, speed.f);
    }
    Around course = around(samples, i, clipMs, [](const TelemetrySample& s) { return s.hasCourse; });
    moment.hasCourse = course.before != kNone;
    if (moment.hasCourse) moment.courseDeg = samples[course.before].courseDeg;
    Around accel = around(samples, i, clipMs, [](const TelemetrySample& s) { return s.hasAccel; });
    moment.hasAccel = accel.before != kNone;
    if (moment.hasAccel) {
        const TelemetrySample& p = samples[accel.before];
        moment.accelX = p.accelX;
        moment.accelY = p.accelY;
        moment.accelZ = p.accelZ;
        if (accel.after != kNone) {
            const TelemetrySample& q = samples[accel.after];
            moment.accelX = between(p.accelX, q.accelX, accel.f);
            moment.accelY = between(p.accelY, q.accelY, accel.f);
            moment.accelZ = between(p.accelZ, q.accelZ, accel.f);
        }
    }
    return true;
}
