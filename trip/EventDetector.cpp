#include "trip/EventDetector.h"

#include "track/TelemetryRecords.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

struct Vec {
    double x = 0, y = 0, z = 0;
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator*(double k) const { return {x * k, y * k, z * k}; }
    double dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
    double length() const { return std::sqrt(dot(*this)); }
};

struct Span {
    int64_t startMs;
    int64_t endMs;
    double value;  // >= the threshold over the span
};

// A cue time from a damaged clip may be anything: kept within a century, so
// sums of times never overflow.
constexpr int64_t kLatestMs = int64_t{100} * 365 * 24 * 3600 * 1000;
constexpr double kMaxG = 1e9;

int64_t sampleMs(const EventClipTrack& clip, size_t i) {
    return std::clamp<int64_t>(clip.samples[i].clipMs, 0, kLatestMs);
}

double median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct Stretch {
    int64_t startMs;
    int64_t endMs;
    int64_t middleMs;  // weighted by the values
    double peak;
};

// Overlapping spans at or over the threshold that together last at least holdMs.
std::vector<Stretch> heldStretches(const std::vector<Span>& all, double threshold, int64_t holdMs) {
    std::vector<Span> spans;
    for (const Span& s : all)
        if (s.value >= threshold) spans.push_back(s);
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.startMs < b.startMs; });
    std::vector<Stretch> found;
    for (size_t i = 0; i < spans.size();) {
        const int64_t start = spans[i].startMs;
        int64_t end = spans[i].endMs;
        double weight = 0, weighted = 0, peak = 0;
        for (; i < spans.size() && spans[i].startMs <= end; ++i) {
            end = std::max(end, spans[i].endMs);
            const double middle = (static_cast<double>(spans[i].startMs) + static_cast<double>(spans[i].endMs)) / 2;
            weight += spans[i].value;
            weighted += spans[i].value * middle;
            peak = std::max(peak, spans[i].value);
        }
        if (end - start >= holdMs && weight > 0) found.push_back({start, end, std::llround(weighted / weight), peak});
    }
    return found;
}

struct Fix {
    int64_t ms;
    double speed;  // m/s
};

// The GPS speed at a moment: between two fixes at most 3 s apart, or at most
// a second beyond the first or last.
std::optional<double> speedAt(const std::vector<Fix>& fixes, int64_t ms) {
    const auto after =
        std::lower_bound(fixes.begin(), fixes.end(), ms, [](const Fix& f, int64_t t) { return f.ms < t; });
    if (after != fixes.end() && after->ms == ms) return after->speed;
    if (after == fixes.begin()) {
        if (after == fixes.end() || after->ms - ms > 1000) return std::nullopt;
        return after->speed;
    }
    const Fix& before = *(after - 1);
    if (after == fixes.end()) {
        if (ms - before.ms > 1000) return std::nullopt;
        return before.speed;
    }
    if (after->ms - before.ms > 3000) return std::nullopt;
    const double k = static_cast<double>(ms - before.ms) / static_cast<double>(after->ms - before.ms);
    return before.speed + (after->speed - before.speed) * k;
}

// Where the clip starts on the clock shown, in ms; nothing without a real time.
std::optional<int64_t> clipStartMs(const EventClipTrack& clip, const DisplayZone& zone) {
    for (size_t i = 0; i < clip.samples.size(); ++i) {
        int64_t seconds = 0;
        if (shownSeconds(clip.samples[i], zone, seconds)) return seconds * 1000 - sampleMs(clip, i);
    }
    return std::nullopt;
}

bool fromACar(const EventClipTrack& clip) {
    return std::any_of(clip.samples.begin(), clip.samples.end(),
                       [](const TelemetrySample& s) { return s.vehicle.has_value(); });
}

}  // namespace

double EventDetector::gOf(const EventClipTrack& clip, float g) const {
    double value = g;
    if (clip.countsG) {
        // Back to the count the camera wrote, then on the settings' scale.
        const GSensorScale chart;
        value = (value * chart.countsPerG + chart.zeroCount - settings_.zeroCount) / settings_.countsPerG;
    }
    // A damaged clip's value beyond any sensor is held where sums of squares stay numbers.
    return std::isfinite(value) ? std::clamp(value, -kMaxG, kMaxG) : value;
}

std::vector<TripEvent> EventDetector::detect(const std::vector<EventClipTrack>& clips) const {
    std::vector<Candidate> candidates;
    int64_t nextFreeMs = 0;  // a clip without a real time is kept apart from the others
    for (size_t c = 0; c < clips.size(); ++c) {
        const EventClipTrack& clip = clips[c];
        const int64_t lastMs = clip.samples.empty() ? 0 : sampleMs(clip, clip.samples.size() - 1);
        const int64_t offset = clipStartMs(clip, zone_).value_or(nextFreeMs);
        nextFreeMs = std::max(nextFreeMs, offset + lastMs) + 3600 * 1000;
        detectClip(clip, static_cast<uint32_t>(c), offset, candidates);
    }
    // One event per cluster of one kind, at its peak.
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.event.kind != b.event.kind ? a.event.kind < b.event.kind : a.tripMs < b.tripMs;
    });
    const auto mergeMs = static_cast<int64_t>(settings_.mergeSeconds * 1000);
    std::vector<TripEvent> events;
    for (size_t i = 0; i < candidates.size();) {
        const Candidate* best = &candidates[i];
        size_t j = i + 1;
        for (; j < candidates.size() && candidates[j].event.kind == candidates[i].event.kind &&
               candidates[j].tripMs - candidates[j - 1].tripMs < mergeMs;
             ++j)
            if (candidates[j].event.peakG > best->event.peakG) best = &candidates[j];
        events.push_back(best->event);
        i = j;
    }
    std::sort(events.begin(), events.end(), [](const TripEvent& a, const TripEvent& b) {
        return a.clip != b.clip ? a.clip < b.clip : a.timeMs < b.timeMs;
    });
    return events;
}

void EventDetector::detectClip(const EventClipTrack& clip, uint32_t index, int64_t offsetMs,
                               std::vector<Candidate>& out) const {
    const auto add = [&](TripEventKind kind, int64_t ms, double peak) {
        out.push_back({{index, std::max<int64_t>(ms, 0), kind, peak}, offsetMs + ms});
    };
    const auto holdMs = static_cast<int64_t>(settings_.holdSeconds * 1000);
    // A car measures its own deceleration: its brakings come from that alone.
    const bool car = fromACar(clip);
    if (car) detectCarBraking(clip, add);

    std::vector<Fix> fixes;
    for (size_t i = 0; i < clip.samples.size(); ++i) {
        const TelemetrySample& s = clip.samples[i];
        const int64_t ms = sampleMs(clip, i);
        if (!s.fix || !plausiblePosition(s.latitude, s.longitude) || !s.hasSpeed || !std::isfinite(s.speedKmh) ||
            s.speedKmh < 0)
            continue;
        if (!fixes.empty() && ms <= fixes.back().ms) continue;
        fixes.push_back({ms, s.speedKmh / 3.6});
    }

    // GPS: each fix against the latest one at least a second before it.
    std::vector<Span> slowing, speeding;
    size_t back = 0;
    for (size_t i = 0; i < fixes.size(); ++i) {
        while (back + 1 < i && fixes[back + 1].ms <= fixes[i].ms - 1000) ++back;
        if (back >= i || fixes[i].ms - fixes[back].ms < 1000 || fixes[i].ms - fixes[back].ms > 3000) continue;
        const double g = (fixes[i].speed - fixes[back].speed) /
                         (static_cast<double>(fixes[i].ms - fixes[back].ms) / 1000.0) / kStandardGravity;
        if (std::abs(g) > kGpsGlitchG) continue;
        (g < 0 ? slowing : speeding).push_back({fixes[back].ms, fixes[i].ms, std::abs(g)});
    }
    if (!car)
        for (const Stretch& s : heldStretches(slowing, settings_.brakeG, holdMs))
            add(TripEventKind::Brake, s.middleMs, s.peak);
    for (const Stretch& s : heldStretches(speeding, settings_.accelG, holdMs))
        add(TripEventKind::Accel, s.middleMs, s.peak);

    // G-sensor.
    std::vector<int64_t> times;
    std::vector<Vec> values;
    for (size_t i = 0; i < clip.samples.size(); ++i) {
        const TelemetrySample& s = clip.samples[i];
        if (!s.hasAccel) continue;
        const Vec v{gOf(clip, s.accelX), gOf(clip, s.accelY), gOf(clip, s.accelZ)};
        // A reading that is no number is no reading.
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) continue;
        times.push_back(sampleMs(clip, i));
        values.push_back(v);
    }
    if (values.size() < 3) return;
    std::vector<double> xs, ys, zs;
    for (const Vec& v : values) xs.push_back(v.x), ys.push_back(v.y), zs.push_back(v.z);
    const Vec rest{median(xs), median(ys), median(zs)};
    // A resting vector far from 1 G is no gravity to measure the push across.
    const double restLength = rest.length();
    const bool hasUp = restLength > 0.5 && restLength < 2.0;
    const Vec up = hasUp ? rest * (1.0 / restLength) : Vec{};

    std::vector<Span> pushes;
    double impactPeak = 0;
    int64_t impactMs = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const Vec d = values[i] - rest;
        const double total = d.length();
        // Each value stands for the time up to the next one.
        const int64_t end = i + 1 < times.size() ? times[i + 1] : times[i] + (times[i] - times[i - 1]);
        if (total >= settings_.impactG) {
            if (total > impactPeak) impactPeak = total, impactMs = times[i];
        } else if (impactPeak > 0) {
            add(TripEventKind::Impact, impactMs, impactPeak);
            impactPeak = 0;
        }
        const double across = hasUp ? (d - up * d.dot(up)).length() : total;
        if (end > times[i]) pushes.push_back({times[i], end, across});
    }
    if (impactPeak > 0) add(TripEventKind::Impact, impactMs, impactPeak);

    // The GPS tells a braking from an acceleration or a turn: its speed must
    // change by at least a quarter of what the threshold gives (it lags a
    // little and is coarse, so its change is taken up to a second later).
    const auto classify = [&](double threshold, TripEventKind kind, double sign) {
        for (const Stretch& s : heldStretches(pushes, threshold, holdMs)) {
            const auto before = speedAt(fixes, s.startMs);
            const auto after = speedAt(fixes, s.endMs + 1000);
            if (!before || !after) continue;
            const double seconds = static_cast<double>(s.endMs + 1000 - s.startMs) / 1000.0;
            if ((*after - *before) * sign / seconds / kStandardGravity >= threshold / 4) add(kind, s.middleMs, s.peak);
        }
    };
    if (!car) classify(settings_.brakeG, TripEventKind::Brake, -1.0);
    classify(settings_.accelG, TripEventKind::Accel, 1.0);
}

void EventDetector::detectCarBraking(const EventClipTrack& clip,
                                     const std::function<void(TripEventKind, int64_t, double)>& add) const {
    struct Moment {
        int64_t ms;
        double deceleration;  // G, forward negative
        bool brake;
    };
    std::vector<Moment> moments;
    for (size_t i = 0; i < clip.samples.size(); ++i) {
        const TelemetrySample& s = clip.samples[i];
        if (!s.hasAccel) continue;
        const double forward = gOf(clip, s.accelX);
        if (!std::isfinite(forward)) continue;
        const int64_t ms = sampleMs(clip, i);
        if (!moments.empty() && ms <= moments.back().ms) continue;
        const bool brake = s.vehicle && s.vehicle->brake.value_or(false);
        moments.push_back({ms, -forward, brake});
    }
    if (moments.size() < 2) return;
    std::vector<Span> spans;
    for (size_t i = 0; i + 1 < moments.size(); ++i)
        spans.push_back({moments[i].ms, moments[i + 1].ms, moments[i].deceleration});
    const auto holdMs = static_cast<int64_t>(settings_.holdSeconds * 1000);
    for (const Stretch& s : heldStretches(spans, settings_.brakeG, holdMs)) {
        // The peak within the stretch, then back to where the pedal went
        // down: the last moment with the brake on at or before the peak, and
        // the first of that unbroken press.
        size_t peak = 0;
        for (size_t i = 0; i < moments.size(); ++i)
            if (moments[i].ms >= s.startMs && moments[i].ms < s.endMs &&
                moments[i].deceleration > moments[peak].deceleration)
                peak = i;
        size_t pressed = peak + 1;
        for (size_t i = peak + 1; i-- > 0 && moments[peak].ms - moments[i].ms <= kBrakeLookBackMs;)
            if (moments[i].brake) {
                pressed = i;
                break;
            }
        if (pressed > peak) {
            add(TripEventKind::Brake, s.middleMs, s.peak);
            continue;
        }
        while (pressed > 0 && moments[pressed - 1].brake) --pressed;
        add(TripEventKind::Brake, moments[pressed].ms, s.peak);
    }
}
