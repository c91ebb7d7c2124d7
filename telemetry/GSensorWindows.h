#pragma once
// G-sensor readings of a track that come faster than anyone reads them (a
// few hundred a second) and apart from the GPS fixes, brought to the rate of
// the chart: the readings are averaged over slots of 100 ms of the clip, and
// each slot's mean goes onto the GPS sample of the same slot nearest to it
// that has no G yet, so a camera with 10 or more fixes a second gives fixes
// that carry G. Means left over (slower GPS, or none) become samples of their
// own without a fix, ten a second.
//
// Threads: one thread per object. add() readings in clip order, then
// mergeInto() once.
#include "telemetry/ClipTelemetry.h"
#include "telemetry/TelemetrySample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

class GSensorWindows {
public:
    static constexpr int64_t kWindowMs = 100;
    // Beyond what any accelerometer in a camera measures: garbage, not a bump.
    static constexpr double kMaxG = 64.0;

    // One reading in G at its moment; false (nothing kept) when it is no real value.
    bool add(int64_t clipMs, int64_t timeMs, TelemetryTime kind, double x, double y, double z) {
        if (!real(x) || !real(y) || !real(z)) return false;
        const int64_t key = clipMs / kWindowMs;
        if (count_ > 0 && key != key_) flush();
        if (count_ == 0) {
            key_ = key;
            firstClipMs_ = clipMs;
            firstTimeMs_ = timeMs;
            kind_ = kind;
            sumClip_ = 0;
            sx_ = sy_ = sz_ = 0.0;
        }
        ++count_;
        sumClip_ += clipMs - firstClipMs_;
        sx_ += x;
        sy_ += y;
        sz_ += z;
        return true;
    }

    // Puts the windows onto the GPS samples in `samples` (any order) or
    // beside them; the result is in clip order.
    void mergeInto(std::vector<TelemetrySample>& samples) {
        flush();
        std::stable_sort(samples.begin(), samples.end(), byClip);
        const size_t gpsCount = samples.size();
        for (const TelemetrySample& window : windows_) {
            // The GPS samples of the window's own 100 ms, nearest first.
            const int64_t slot = window.clipMs / kWindowMs * kWindowMs;
            const auto last = samples.begin() + static_cast<std::ptrdiff_t>(gpsCount);
            TelemetrySample* best = nullptr;
            int64_t bestGap = kWindowMs;
            for (auto it = std::lower_bound(samples.begin(), last, slot,
                                            [](const TelemetrySample& s, int64_t ms) { return s.clipMs < ms; });
                 it != last && it->clipMs < slot + kWindowMs; ++it) {
                const int64_t gap = std::llabs(it->clipMs - window.clipMs);
                if (!it->hasAccel && gap < bestGap) {
                    bestGap = gap;
                    best = &*it;
                }
            }
            if (best) {
                best->hasAccel = true;
                best->accelX = window.accelX;
                best->accelY = window.accelY;
                best->accelZ = window.accelZ;
            } else if (samples.size() < ClipTelemetry::kSampleLimit) {
                samples.push_back(window);
            }
        }
        windows_.clear();
        std::stable_sort(samples.begin(), samples.end(), byClip);
    }

private:
    static bool real(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxG; }
    static bool byClip(const TelemetrySample& a, const TelemetrySample& b) { return a.clipMs < b.clipMs; }

    void flush() {
        if (count_ == 0) return;
        TelemetrySample s;
        const int64_t offset = sumClip_ / count_;
        s.clipMs = firstClipMs_ + offset;
        s.timeKind = kind_;
        s.timeMs = kind_ == TelemetryTime::None ? 0 : firstTimeMs_ + offset;
        s.hasAccel = true;
        const auto n = static_cast<double>(count_);
        s.accelX = static_cast<float>(sx_ / n);
        s.accelY = static_cast<float>(sy_ / n);
        s.accelZ = static_cast<float>(sz_ / n);
        if (windows_.size() < ClipTelemetry::kSampleLimit) windows_.push_back(s);
        count_ = 0;
    }

    std::vector<TelemetrySample> windows_;
    int64_t key_ = 0;
    int64_t count_ = 0;
    int64_t firstClipMs_ = 0;
    int64_t firstTimeMs_ = 0;
    TelemetryTime kind_ = TelemetryTime::None;
    int64_t sumClip_ = 0;
    double sx_ = 0.0, sy_ = 0.0, sz_ = 0.0;
};
