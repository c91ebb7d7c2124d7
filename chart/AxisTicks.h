#pragma once
// The tick marks of one axis: a walk from the first major tick towards the
// end pixel in fifths of the step (every fifth is major, the others minor),
// then, when minor ticks are on, back towards the start pixel. Only ticks
// between the two pixels (inclusive) are kept.
//
// Threads: any (pure function).
#include "chart/AxisLayout.h"

#include <vector>

struct AxisTick {
    int pixel = 0;
    double value = 0.0;  // display units
    bool major = false;
};

class AxisTicks {
public:
    // startPixel/endPixel as for AxisLayout. Empty for an invalid layout or
    // a start beyond the end.
    static std::vector<AxisTick> walk(const AxisLayout& layout, int startPixel, int endPixel, bool minorTicks);
};
