#pragma once
// The plot area of the chart in pixels: left, top, right, bottom, as the
// control's rectangle moved in by the insets. May be empty or inverted when
// the control is smaller than its insets.
//
// Threads: any (a plain value).

struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Ticks and series need at least one pixel in each direction.
    bool drawable() const { return right - left >= 1 && bottom - top >= 1; }
};
