#include "telemetry/BlackVueData.h"

#include "telemetry/BigEndian.h"
#include "telemetry/GSensorWindows.h"
#include "telemetry/NmeaSentence.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kKnotsToKmh = 1.852;
constexpr double kMaxSpeedKmh = 1000.0;
constexpr size_t kReadingSize = 10;
// Epoch milliseconds of 2000-01-01 and 2100-01-01: a bracket outside is no time.
constexpr int64_t kEarliestMs = 946'684'800'000;
constexpr int64_t kLatestMs = 4'102'444'800'000;
constexpr int64_t kQuarterHourMs = 900'000;
constexpr int64_t kMaxZoneMs = 14 * 3'600'000;
// The receiver's first fix may come this long after the clip starts.
constexpr int64_t kMaxFirstFixLagMs = 120'000;

bool lineEnd(char c) {
    return c == '\n' || c == '\r' || c == '\0';
}

// "[digits]" at the front of a line; -1 when there is none.
int64_t bracketMs(std::string_view& line) {
    if (line.empty() || line.front() != '[') return -1;
    const size_t close = line.find(']');
    if (close == std::string_view::npos || close < 2 || close > 16) return -1;
    int64_t ms = 0;
    for (size_t i = 1; i < close; ++i) {
        if (line[i] < '0' || line[i] > '9') return -1;
        ms = ms * 10 + (line[i] - '0');
    }
    line.remove_prefix(close + 1);
    return ms;
}

// The sentence's name after the talker ("RMC"), or empty.
std::string_view sentenceName(std::string_view sentence) {
    if (!sentence.empty() && sentence.front() == '$') sentence.remove_prefix(1);
    return sentence.size() >= 6 && sentence[5] == ',' ? sentence.substr(2, 3) : std::string_view();
}

}  // namespace

void BlackVueData::addGpsText(std::string_view text) {
    NmeaSentence sentence;
    size_t at = 0;
    while (at < text.size() && !full_) {
        size_t end = at;
        while (end < text.size() && !lineEnd(text[end])) ++end;
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        if (line.empty()) continue;
        const int64_t bracket = bracketMs(line);
        if (sentenceName(line) != "RMC") continue;  // GGA, GSA ...: nothing the samples hold
        if (!sentence.parse(line)) {
            ++badLines_;
            continue;
        }
        int64_t utc = bracket;
        if ((utc < kEarliestMs || utc >= kLatestMs) && !sentence.utcMs(utc)) {
            ++untimedLines_;
            continue;
        }
        if (!fixes_.empty() && fixes_.back().utcMs == utc) continue;  // one fix per moment
        Fix f{utc, {}};
        TelemetrySample& s = f.sample;
        s.timeMs = utc;
        s.timeKind = TelemetryTime::Utc;
        s.fix =
            sentence.valid() && sentence.hasPosition() && plausiblePosition(sentence.latitude(), sentence.longitude());
        if (s.fix) {
            s.latitude = sentence.latitude();
            s.longitude = sentence.longitude();
            const double kmh = sentence.knots() * kKnotsToKmh;
            if (sentence.hasSpeed() && kmh <= kMaxSpeedKmh) {
                s.hasSpeed = true;
                s.speedKmh = static_cast<float>(kmh);
            }
            if (sentence.hasCourse()) {
                s.hasCourse = true;
                s.courseDeg = static_cast<float>(sentence.courseDeg());
            }
        }
        fixes_.push_back(f);
        full_ = fixes_.size() >= ClipTelemetry::kSampleLimit;
    }
}

void BlackVueData::addGSensor(std::string_view records) {
    const auto* p = reinterpret_cast<const unsigned char*>(records.data());
    for (size_t i = 0; i + kReadingSize <= records.size() && readings_.size() < ClipTelemetry::kSampleLimit;
         i += kReadingSize) {
        const uint32_t ms = bigEndian::u32(p + i);
        if (ms == 0xFFFFFFFF) break;
        readings_.push_back({ms, bigEndian::s16(p + i + 4) / 100.0, bigEndian::s16(p + i + 6) / 100.0,
                             bigEndian::s16(p + i + 8) / 100.0});
    }
}

int64_t BlackVueData::clipStartUtc() const {
    int64_t first = fixes_.front().utcMs;
    for (const Fix& f : fixes_) first = std::min(first, f.utcMs);
    if (!hasCameraStart_ || cameraStartMs_ < kEarliestMs || cameraStartMs_ >= kLatestMs) return first;
    // The camera's clock runs a whole number of quarter hours off UTC.
    const int64_t apart = cameraStartMs_ - first;
    const int64_t zone =
        (apart >= 0 ? apart + kQuarterHourMs / 2 : apart - kQuarterHourMs / 2) / kQuarterHourMs * kQuarterHourMs;
    const int64_t start = cameraStartMs_ - zone;
    if (std::llabs(zone) > kMaxZoneMs || first < start || first - start > kMaxFirstFixLagMs) return first;
    return start;
}

void BlackVueData::finish(ClipTelemetry& out) {
    out.format = TelemetryFormat::BlackVue;
    std::vector<TelemetrySample> samples;
    samples.reserve(fixes_.size());
    TelemetryTime kind = TelemetryTime::None;
    int64_t start = 0;
    if (!fixes_.empty()) {
        start = clipStartUtc();
        kind = TelemetryTime::Utc;
        for (Fix& f : fixes_) {
            f.sample.clipMs = f.utcMs - start;
            samples.push_back(f.sample);
        }
    } else if (hasCameraStart_) {
        start = cameraStartMs_;
        kind = TelemetryTime::Camera;
    }
    const auto byClip = [](const Reading& a, const Reading& b) { return a.clipMs < b.clipMs; };
    if (!std::is_sorted(readings_.begin(), readings_.end(), byClip))
        std::stable_sort(readings_.begin(), readings_.end(), byClip);
    GSensorWindows windows;
    for (const Reading& r : readings_)
        if (!windows.add(r.clipMs, start + r.clipMs, kind, r.x, r.y, r.z)) ++badReadings_;
    windows.mergeInto(samples);
    for (const TelemetrySample& s : samples)
        if (!out.add(s)) break;
    if (badLines_ > 0) out.drop(std::to_string(badLines_) + " RMC lines with a wrong checksum or cut short left out");
    if (untimedLines_ > 0) out.drop(std::to_string(untimedLines_) + " RMC lines without a time left out");
    if (badReadings_ > 0) out.drop(std::to_string(badReadings_) + " G-sensor readings out of range left out");
    if (full_ || readings_.size() >= ClipTelemetry::kSampleLimit)
        out.drop("more than " + std::to_string(ClipTelemetry::kSampleLimit) + " records: the rest is left out");
    if (out.samples.empty()) out.problem = "no GPS or G-sensor records";
}
