#include "chart/AxisTicks.h"

#include <algorithm>

namespace {

// A walk covers the axis in about 25 fifths of a step (5 major intervals);
// the bound only guards against ranges that make the pixel step tiny.
constexpr int kMaxTicks = 100000;

}  // namespace

std::vector<AxisTick> AxisTicks::walk(const AxisLayout& layout, int startPixel, int endPixel, bool minorTicks) {
    std::vector<AxisTick> ticks;
    if (!layout.valid() || startPixel == endPixel) return ticks;
    const int direction = endPixel > startPixel ? 1 : -1;
    const double perStep = layout.pixelsPerStep();
    // Ticks have to move from start towards end, or the walk would not end.
    if (!(perStep * direction > 0.0)) return ticks;

    const int low = std::min(startPixel, endPixel);
    const int high = std::max(startPixel, endPixel);
    const double p0 = layout.firstTickPixel();
    const double first = layout.ticks().first;
    const double step = layout.ticks().step;
    auto pixelAt = [&](int r) { return AxisLayout::roundPixel(p0 + r * perStep / 5.0); };
    auto valueAt = [&](int r) { return first + r * step / 5.0; };

    for (int r = 0; r < kMaxTicks; ++r) {
        const int p = pixelAt(r);
        if (p >= low && p <= high) {
            const bool major = r % 5 == 0;
            if (major || minorTicks) ticks.push_back({p, valueAt(r), major});
        }
        if ((p - endPixel) * direction > 0) break;  // past the end
    }
    if (minorTicks) {
        for (int r = -1; r > -kMaxTicks; --r) {
            const int p = pixelAt(r);
            if ((p - startPixel) * direction < 0) break;  // before the start
            if (p >= low && p <= high) ticks.push_back({p, valueAt(r), false});
        }
    }
    return ticks;
}
