#include "trip/SpeedProfile.h"

#include <algorithm>
#include <cmath>

namespace {

float drawnSpeed(float kmh) {
    if (!std::isfinite(kmh) || kmh < 0.0f) return 0.0f;
    return std::min(kmh, SpeedProfile::kMaxKmh);
}

}  // namespace

SpeedProfile SpeedProfile::ofClip(const ClipTrack& clip) {
    SpeedProfile profile;
    for (const TelemetrySample& s : clip.samples) {
        if (!s.fix || !plausiblePosition(s.latitude, s.longitude) || !s.hasSpeed || std::isnan(s.speedKmh)) continue;
        // A clock that steps back would fold the line over itself.
        if (s.clipMs < 0 || (!profile.samples_.empty() && s.clipMs < profile.samples_.back().timeMs)) continue;
        const float kmh = drawnSpeed(s.speedKmh);
        profile.samples_.push_back({s.clipMs, kmh});
        profile.maxKmh_ = std::max(profile.maxKmh_, static_cast<double>(kmh));
    }
    return profile;
}

std::vector<std::vector<ProfilePoint>> SpeedProfile::polylines(const TimelineScale& scale) const {
    std::vector<std::vector<ProfilePoint>> runs;
    if (scale.spanMs() <= 0) return runs;
    std::vector<ProfilePoint> run;
    // The column being gathered: its lowest and highest sample.
    long column = -1;
    SpeedSample low, high;
    auto flushColumn = [&] {
        if (column < 0) return;
        const SpeedSample& first = low.timeMs <= high.timeMs ? low : high;
        const SpeedSample& second = low.timeMs <= high.timeMs ? high : low;
        run.push_back({scale.xOf(first.timeMs), first.kmh});
        if (second.timeMs != first.timeMs) run.push_back({scale.xOf(second.timeMs), second.kmh});
        column = -1;
    };
    auto flushRun = [&] {
        flushColumn();
        if (!run.empty()) runs.push_back(std::move(run));
        run.clear();
    };
    int64_t lastMs = -1;
    for (const SpeedSample& s : samples_) {
        if (s.timeMs > scale.spanMs()) break;
        if (lastMs >= 0 && s.timeMs - lastMs > kGapMs) flushRun();
        lastMs = s.timeMs;
        const long sampleColumn = static_cast<long>(std::floor(scale.xOf(s.timeMs)));
        if (sampleColumn != column) {
            flushColumn();
            column = sampleColumn;
            low = high = s;
        } else {
            if (s.kmh < low.kmh) low = s;
            if (s.kmh >= high.kmh) high = s;
        }
    }
    flushRun();
    return runs;
}
