#include "chart/AxisLayout.h"

#include "chart/AxisScale.h"

#include <cmath>

AxisLayout::AxisLayout(int startPixel, int endPixel, double lo, double hi)
    : start_(startPixel), end_(endPixel), lo_(lo), hi_(hi) {
    if (!AxisScale::usableRange(lo, hi)) return;
    ticks_ = TickStep::forRange(lo, hi);
    valid_ = ticks_.valid;
    if (!valid_) return;
    firstTickPixel_ = start_ + (ticks_.first - lo_) * (end_ - start_) / (hi_ - lo_);
    pixelsPerStep_ = (end_ - start_) / (hi_ - lo_) * ticks_.step;
}

int AxisLayout::toPixel(double v) const {
    if (!valid_) return static_cast<int>(start_);
    return roundPixel(start_ + (v - lo_) * (end_ - start_) / (hi_ - lo_));
}

int AxisLayout::roundPixel(double p) {
    // Far-off values only come from ranges much larger than any screen;
    // clamping keeps the conversion defined.
    constexpr double limit = 1e9;
    if (!(p > -limit)) return static_cast<int>(-limit);
    if (!(p < limit)) return static_cast<int>(limit);
    return static_cast<int>(std::trunc(p + 0.5));
}
