#pragma once
// Clips a line segment of a series to the visible window of its axes, in
// display units, so that only the part inside the plot is drawn. The window
// is given by the two ends of each display range in either order.
//
// Threads: any (a plain value with a pure function).
#include <optional>

struct ClippedSegment {
    double x1, y1, x2, y2;  // ordered so that x1 <= x2
};

class SegmentClipper {
public:
    SegmentClipper(double xEnd1, double xEnd2, double yEnd1, double yEnd2);

    // The visible part of (x1, y1)-(x2, y2), or nothing when none is. A
    // segment with a coordinate that is not finite is never visible.
    std::optional<ClippedSegment> clip(double x1, double y1, double x2, double y2) const;

private:
    double xlo_, xhi_, ylo_, yhi_;
};
