#include "trackindex/TelemetryBlob.h"

#include "telemetry/ClipTelemetry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

// clipMs, timeMs, kind, flags, latitude, longitude, speed, course, altitude,
// three axes; then, only with kVehicle, the car's channels: which of them
// are there, steering, pedal, the switches (brake, indicators), gear,
// assistance (so every other camera's rows stay as small as before). A
// further channel takes a flag and its field.
constexpr size_t kSampleBytes = 8 + 8 + 1 + 1 + 8 + 8 + 4 * 6;
constexpr size_t kVehicleBytes = 1 + 4 + 4 + 1 + 1 + 1;
enum Flag : uint8_t { kFix = 1, kSpeed = 2, kCourse = 4, kAccel = 8, kAltitude = 16, kVehicle = 32 };
constexpr uint8_t kKnownFlags = kFix | kSpeed | kCourse | kAccel | kAltitude | kVehicle;
enum Channel : uint8_t {
    kSteering = 1,
    kPedal = 2,
    kBrake = 4,
    kLeft = 8,
    kRight = 16,
    kGear = 32,
    kAssist = 64,
};
constexpr uint8_t kKnownChannels = kSteering | kPedal | kBrake | kLeft | kRight | kGear | kAssist;

// One append per field: an hour of a car's frames is millions of fields.
template <typename T>
void put(std::string& out, T value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    char bytes[sizeof value];
    for (size_t i = 0; i < sizeof value; ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
    out.append(bytes, sizeof value);
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
           (!s.hasAccel || (within(s.accelX, kMaxG) && within(s.accelY, kMaxG) && within(s.accelZ, kMaxG))) &&
           (!s.vehicle || plausibleVehicleChannels(*s.vehicle));
}

}  // namespace

bool plausibleSamples(const std::vector<TelemetrySample>& samples) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (!plausible(samples[i]) || (i > 0 && samples[i].clipMs < samples[i - 1].clipMs)) return false;
    return true;
}

std::string packSamples(const std::vector<TelemetrySample>& samples) {
    std::string out;
    const bool car = !samples.empty() && samples.front().vehicle.has_value();
    out.reserve(samples.size() * (kSampleBytes + (car ? kVehicleBytes : 0)));
    for (const TelemetrySample& s : samples) {
        put(out, s.clipMs);
        put(out, s.timeMs);
        put(out, static_cast<uint8_t>(s.timeKind));
        put(out, static_cast<uint8_t>((s.fix ? kFix : 0) | (s.hasSpeed ? kSpeed : 0) | (s.hasCourse ? kCourse : 0) |
                                      (s.hasAccel ? kAccel : 0) | (s.hasAltitude ? kAltitude : 0) |
                                      (s.vehicle ? kVehicle : 0)));
        put(out, s.latitude);
        put(out, s.longitude);
        put(out, s.speedKmh);
        put(out, s.courseDeg);
        put(out, s.altitudeM);
        put(out, s.accelX);
        put(out, s.accelY);
        put(out, s.accelZ);
        if (!s.vehicle) continue;
        const VehicleChannels& v = *s.vehicle;
        put(out,
            static_cast<uint8_t>((v.steeringDeg ? kSteering : 0) | (v.acceleratorPct ? kPedal : 0) |
                                 (v.brake ? kBrake : 0) | (v.indicatorLeft ? kLeft : 0) |
                                 (v.indicatorRight ? kRight : 0) | (v.gear ? kGear : 0) | (v.assist ? kAssist : 0)));
        put(out, v.steeringDeg.value_or(0.0f));
        put(out, v.acceleratorPct.value_or(0.0f));
        put(out, static_cast<uint8_t>((v.brake.value_or(false) ? 1 : 0) | (v.indicatorLeft.value_or(false) ? 2 : 0) |
                                      (v.indicatorRight.value_or(false) ? 4 : 0)));
        put(out, static_cast<uint8_t>(v.gear.value_or(VehicleGear::Park)));
        put(out, static_cast<uint8_t>(v.assist.value_or(DriverAssist::None)));
    }
    return out;
}

bool unpackSamples(std::string_view bytes, std::vector<TelemetrySample>& samples) {
    samples.clear();
    samples.reserve(std::min<size_t>(bytes.size() / kSampleBytes, ClipTelemetry::kSampleLimit));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (static_cast<size_t>(end - p) < kSampleBytes || samples.size() >= ClipTelemetry::kSampleLimit) return false;
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
        if (!(flags & kVehicle)) continue;
        if (static_cast<size_t>(end - p) < kVehicleBytes) return false;
        const auto channels = get<uint8_t>(p);
        const auto steering = get<float>(p);
        const auto pedal = get<float>(p);
        const auto switches = get<uint8_t>(p);
        const auto gear = get<uint8_t>(p);
        const auto assist = get<uint8_t>(p);
        if ((channels & ~kKnownChannels) != 0 || (switches & ~7) != 0 ||
            gear > static_cast<uint8_t>(VehicleGear::Neutral) ||
            assist > static_cast<uint8_t>(DriverAssist::TrafficAwareCruise))
            return false;
        VehicleChannels& v = s.vehicle.emplace();
        if (channels & kSteering) v.steeringDeg = steering;
        if (channels & kPedal) v.acceleratorPct = pedal;
        if (channels & kBrake) v.brake = (switches & 1) != 0;
        if (channels & kLeft) v.indicatorLeft = (switches & 2) != 0;
        if (channels & kRight) v.indicatorRight = (switches & 4) != 0;
        if (channels & kGear) v.gear = static_cast<VehicleGear>(gear);
        if (channels & kAssist) v.assist = static_cast<DriverAssist>(assist);
    }
    return plausibleSamples(samples);
}
