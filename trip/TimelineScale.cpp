#include "trip/TimelineScale.h"

#include <algorithm>
#include <cmath>

TimelineScale::TimelineScale(double width, int64_t spanMs) {
    if (std::isfinite(width) && width > 0.0 && spanMs > 0) {
        width_ = width;
        spanMs_ = spanMs;
    }
}

double TimelineScale::xOf(int64_t ms) const {
    if (spanMs_ <= 0) return 0.0;
    const int64_t clamped = std::clamp<int64_t>(ms, 0, spanMs_);
    return static_cast<double>(clamped) / static_cast<double>(spanMs_) * width_;
}

double TimelineScale::fractionAt(double x) const {
    if (width_ <= 0.0 || std::isnan(x)) return 0.0;
    return std::clamp(x / width_, 0.0, 1.0);
}

int32_t TimelineScale::secondsAt(double x) const {
    return secondsAtFraction(fractionAt(x));
}

int32_t TimelineScale::secondsAtFraction(double fraction) const {
    if (!std::isfinite(fraction)) fraction = fraction > 0.0 ? 1.0 : 0.0;
    fraction = std::clamp(fraction, 0.0, 1.0);
    // A span beyond 2^31 s is no clip; the cap keeps the cast defined.
    const int64_t lastSecond = std::min<int64_t>(spanMs_ / 1000, INT32_MAX);
    const auto seconds = static_cast<int64_t>(std::llround(fraction * static_cast<double>(spanMs_) / 1000.0));
    return static_cast<int32_t>(std::min(seconds, lastSecond));
}
