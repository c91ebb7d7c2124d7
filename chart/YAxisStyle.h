#pragma once
// How one Y axis slot of the chart is drawn.
//
// Threads: any (a plain value).
#include <cstdint>

struct YAxisStyle {
    uint32_t color = 0;  // COLORREF of the axis line, ticks and labels
    int penWidth = 0;    // 0: one pixel
    bool minorTicks = false;
    int side = -1;   // -1: at the left edge of the plot, +1: at the right edge
    int offset = 0;  // pixels from that edge
    bool enabled = false;
};
