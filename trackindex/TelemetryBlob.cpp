#include "trackindex/TelemetryBlob.h"

#include "telemetry/ClipTelemetry.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// clipMs, timeMs, kind, flags, latitude, longitude, speed, course, altitude,
// three axes. A further channel takes a flag and its field.
constexpr size_t kSampleBytes = 8 + 8 + 1 + 1 + 8 + 8 + 4 * 6;
enum Flag : uint8_t { kFix = 1, kSpeed = 2, kCourse = 4, kAccel = 8, kAltitude = 16 };
constexpr uint8_t kKnownFlags = kFix | kSpeed | kCourse | kAccel | kAltitude;

template <typename T>
void put(std::string& out, T value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    for (size_t i = 0; i < sizeof value; ++i) out.push_back(static_cast<char>(bits >> (8 * i)));
}

template <typename T>
T get(const unsigned char*& p) {
    uint64_t bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<uint64_t>(p[i]) << (8 * i);
    p += sizeof(T);
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// 1970-01-01 to the end of 9999, the years a record's date can hold.
constexpr int64_t kLatestMs = int64_t{253402300800} * 1000;
constexpr float kMaxKmh = 3600.0f;
constexpr float kMaxAltitudeM = 100'000.0f;

bool within(float value, float limit) {
    return std::isfinite(value) && std::fabs(value) <= limit;
}

bool plausible(const TelemetrySample& s) {
    if (s.clipMs < 0 || s.clipMs > kMaxClipMs) return false;
    if (s.timeKind != TelemetryTime::None && (s.timeMs < 0 || s.timeMs >= kLatestMs)) return false;
    if (s.fix && !(std::isfinite(s.latitude) && std::isfinite(s.longitude) && std::fabs(s.latitude) <= 90.0 &&
                   std::fabs(s.longitude) <= 180.0))
        return false;
    return (!s.hasSpeed || within(s.speedKmh, kMaxKmh)) && (!s.hasCourse || within(s.courseDeg, 360.0f)) &&
           (!s.hasAltitude || within(s.altitudeM, kMaxAltitudeM)) &&
           (!s.hasAccel || (within(s.accelX, kMaxG) && within(s.accelY, kMaxG) && within(s.accelZ, kMaxG)));
}

}  // namespace

bool plausibleSamples(const std::vector<TelemetrySample>& samples) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (!plausible(samples[i]) || (i > 0 && samples[i].clipMs < samples[i - 1].clipMs)) return false;
    return true;
}

std::string packSamples(const std::vector<TelemetrySample>& samples) {
    std::string out;
    out.reserve(samples.size() * kSampleBytes);
    for (const TelemetrySample& s : samples) {
        put(out, s.clipMs);
        put(out, s.timeMs);
        put(out, static_cast<uint8_t>(s.timeKind));
        put(out, static_cast<uint8_t>((s.fix ? kFix : 0) | (s.hasSpeed ? kSpeed : 0) | (s.hasCourse ? kCourse : 0) |
                                      (s.hasAccel ? kAccel : 0) | (s.hasAltitude ? kAltitude : 0)));
        put(out, s.latitude);
        put(out, s.longitude);
        put(out, s.speedKmh);
        put(out, s.courseDeg);
        put(out, s.altitudeM);
        put(out, s.accelX);
        put(out, s.accelY);
        put(out, s.accelZ);
    }
    return out;
}

bool unpackSamples(std::string_view bytes, std::vector<TelemetrySample>& samples) {
    samples.clear();
    if (bytes.size() % kSampleBytes != 0 || bytes.size() / kSampleBytes > ClipTelemetry::kSampleLimit) return false;
    samples.reserve(bytes.size() / kSampleBytes);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        TelemetrySample& s = samples.emplace_back();
        s.clipMs = get<int64_t>(p);
        s.timeMs = get<int64_t>(p);
        const auto kind = get<uint8_t>(p);
        if (kind > static_cast<uint8_t>(TelemetryTime::Creation)) return false;
        s.timeKind = static_cast<TelemetryTime>(kind);
        const auto flags = get<uint8_t>(p);
        if ((flags & ~kKnownFlags) != 0) return false;
        s.fix = flags & kFix;
        s.hasSpeed = flags & kSpeed;
        s.hasCourse = flags & kCourse;
        s.hasAccel = flags & kAccel;
        s.hasAltitude = flags & kAltitude;
        s.latitude = get<double>(p);
        s.longitude = get<double>(p);
        s.speedKmh = get<float>(p);
        s.courseDeg = get<float>(p);
        s.altitudeM = get<float>(p);
        s.accelX = get<float>(p);
        s.accelY = get<float>(p);
        s.accelZ = get<float>(p);
    }
    return plausibleSamples(samples);
}
