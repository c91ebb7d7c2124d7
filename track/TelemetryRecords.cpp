#include "track/TelemetryRecords.h"

#include "platform/CivilTime.h"
#include "track/CameraTime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

void setAngle(double value, char positive, char negative, char& hemisphere, uint8_t& degrees, uint8_t& minutes,
              float& seconds) {
    hemisphere = value < 0 ? negative : positive;
    double a = std::fabs(value);
    degrees = static_cast<uint8_t>(a);
    a = (a - degrees) * 60.0;
    minutes = static_cast<uint8_t>(a);
    seconds = static_cast<float>((a - minutes) * 60.0);
}

}  // namespace

int32_t gSensorCount(float g, const GSensorScale& scale) {
    const double v = std::round(scale.zeroCount + static_cast<double>(g) * scale.countsPerG);
    if (!std::isfinite(v)) return static_cast<int32_t>(scale.zeroCount);
    return static_cast<int32_t>(std::clamp(v, -1e9, 1e9));
}

bool hasAnyReading(const TelemetrySample& s) {
    return s.timeKind != TelemetryTime::None || s.fix || s.hasSpeed || s.hasCourse || s.hasAltitude || s.hasAccel ||
           s.vehicle;
}

TelemetrySample telemetrySampleOf(const TrackRecord& r, int64_t clipMs, const GSensorScale& scale) {
    TelemetrySample s;
    s.clipMs = clipMs;
    if (!r.valid) return s;
    int64_t seconds = 0;
    if (cameraSeconds(r, seconds)) {
        s.timeKind = TelemetryTime::Camera;
        s.timeMs = seconds * 1000 + r.millisecond % 1000;
    }
    // The position as the camera wrote it, even off the globe: the track
    // files say so rather than hide it.
    s.fix = hasPositionFix(r);
    if (s.fix) {
        s.latitude = r.latitude;
        s.longitude = r.longitude;
    }
    s.hasSpeed = r.hasSpeed;
    if (s.hasSpeed) s.speedKmh = r.speed;
    s.hasAccel = r.hasAccel;
    if (s.hasAccel) {
        s.accelX = static_cast<float>((r.accelX - scale.zeroCount) / scale.countsPerG);
        s.accelY = static_cast<float>((r.accelY - scale.zeroCount) / scale.countsPerG);
        s.accelZ = static_cast<float>((r.accelZ - scale.zeroCount) / scale.countsPerG);
    }
    s.vehicle = r.vehicle;
    return s;
}

TrackRecord trackRecordOf(const TelemetrySample& s, const DisplayZone& zone, const GSensorScale& scale) {
    TrackRecord r;
    // A moment without any reading (a camera text that does not parse) only marks its place.
    if (!hasAnyReading(s)) return r;
    r.valid = true;
    if (int64_t seconds = 0; shownSeconds(s, zone, seconds) && setCameraSeconds(seconds, r))
        r.millisecond = static_cast<uint16_t>(s.timeMs - platform::floorSeconds(s.timeMs) * 1000);
    r.hasFix = s.fix && plausiblePosition(s.latitude, s.longitude);
    if (r.hasFix) {
        r.latitude = s.latitude;
        r.longitude = s.longitude;
        setAngle(s.latitude, 'N', 'S', r.latitudeHemisphere, r.latitudeDegrees, r.latitudeMinutes,
                 r.latitudeSeconds);
        setAngle(s.longitude, 'E', 'W', r.longitudeHemisphere, r.longitudeDegrees, r.longitudeMinutes,
                 r.longitudeSeconds);
    }
    r.hasSpeed = s.hasSpeed && std::isfinite(s.speedKmh);
    if (r.hasSpeed) r.speed = std::max(0.0f, s.speedKmh);
    r.hasAccel = s.hasAccel;
    if (s.hasAccel) {
        r.accelX = gSensorCount(s.accelX, scale);
        r.accelY = gSensorCount(s.accelY, scale);
        r.accelZ = gSensorCount(s.accelZ, scale);
    } else {
        // No reading: the chart's rest line, not a 6 G drop.
        r.accelX = r.accelY = r.accelZ = static_cast<int32_t>(scale.zeroCount);
    }
    r.vehicle = s.vehicle;
    return r;
}

bool shownSeconds(const TelemetrySample& s, const DisplayZone& zone, int64_t& seconds) {
    if (s.timeKind == TelemetryTime::None) return false;
    int64_t t = platform::floorSeconds(s.timeMs);
    if (s.timeKind != TelemetryTime::Camera && __builtin_add_overflow(t, zone.offsetAt(t), &t)) return false;
    // The years a record's date and time can hold: 1970 to the end of 9999.
    if (t < 0 || t > 253402300799) return false;
    seconds = t;
    return true;
}

void recordsOfTelemetry(const ClipTelemetry& clip, const DisplayZone& zone, std::vector<TrackRecord>& records,
                        std::vector<int64_t>& timesMs, const GSensorScale& scale) {
    records.clear();
    timesMs.clear();
    records.reserve(clip.samples.size());
    timesMs.reserve(clip.samples.size());
    for (const TelemetrySample& s : clip.samples) {
        records.push_back(trackRecordOf(s, zone, scale));
        timesMs.push_back(s.clipMs);
    }
}

size_t sampleAt(const std::vector<TelemetrySample>& samples, int64_t clipMs) {
    if (samples.empty()) return 0;
    const auto it = std::upper_bound(samples.begin(), samples.end(), clipMs,
                                     [](int64_t ms, const TelemetrySample& s) { return ms < s.clipMs; });
    return it == samples.begin() ? 0 : static_cast<size_t>(it - samples.begin()) - 1;
}
