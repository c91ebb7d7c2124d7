#pragma once
// Where the values of one axis land in pixels: the pixel of the first major
// tick, the pixels per tick step and the mapping of a value to its pixel.
// An axis runs from a start pixel (where the low end of the display range
// sits: left edge for X, bottom edge for Y) to an end pixel (right edge for
// X, top edge for Y), so one type serves both directions. Positions stay
// unrounded until a pixel is asked for, which is truncated after adding 0.5.
//
// Threads: any (a plain value with pure functions).
#include "chart/TickStep.h"

class AxisLayout {
public:
    AxisLayout(int startPixel, int endPixel, double lo, double hi);

    // False when the range is empty or not finite: nothing is drawn on it.
    bool valid() const { return valid_; }
    const TickStep& ticks() const { return ticks_; }
    double firstTickPixel() const { return firstTickPixel_; }
    // Signed: positive when pixels grow from start to end (X), negative for Y.
    double pixelsPerStep() const { return pixelsPerStep_; }

    // Pixel of a display value, for values within (or near) the range.
    int toPixel(double v) const;
    // trunc(p + 0.5), kept within the int range.
    static int roundPixel(double p);

private:
    double start_;
    double end_;
    double lo_;
    double hi_;
    bool valid_ = false;
    TickStep ticks_;
    double firstTickPixel_ = 0.0;
    double pixelsPerStep_ = 0.0;
};
