#include "chart/SegmentClipper.h"

#include <algorithm>
#include <cmath>
#include <utility>

SegmentClipper::SegmentClipper(double xEnd1, double xEnd2, double yEnd1, double yEnd2)
    : xlo_(std::min(xEnd1, xEnd2)),
      xhi_(std::max(xEnd1, xEnd2)),
      ylo_(std::min(yEnd1, yEnd2)),
      yhi_(std::max(yEnd1, yEnd2)) {}

std::optional<ClippedSegment> SegmentClipper::clip(double xa, double ya, double xb, double yb) const {
    // NaN fails every comparison below and would come out as a point.
    if (!std::isfinite(xa) || !std::isfinite(ya) || !std::isfinite(xb) || !std::isfinite(yb)) return std::nullopt;
    if (xb < xa) {
        std::swap(xa, xb);
        std::swap(ya, yb);
    }
    if (xhi_ < xa || xb < xlo_ || std::min(ya, yb) > yhi_ || std::max(ya, yb) < ylo_) return std::nullopt;

    if (xa == xb) return ClippedSegment{xa, std::max(ylo_, std::min(ya, yb)), xa, std::min(yhi_, std::max(ya, yb))};
    if (ya == yb) return ClippedSegment{std::max(xlo_, xa), ya, std::min(xhi_, xb), ya};

    // Where the line through both points meets the four window edges.
    const double slope = (yb - ya) / (xb - xa);
    const double yL = ya + (xlo_ - xa) * slope;
    const double yH = ya + (xhi_ - xa) * slope;
    const double xB = xa + (ylo_ - ya) / slope;
    const double xT = xa + (yhi_ - ya) / slope;
    if (std::min(yL, yH) > yhi_ || std::max(yL, yH) < ylo_) return std::nullopt;

    auto inside = [this](double x, double y) { return x >= xlo_ && x <= xhi_ && y >= ylo_ && y <= yhi_; };
    ClippedSegment s{};
    if (inside(xa, ya)) {
        s.x1 = xa, s.y1 = ya;
    } else if (yL >= ylo_ && yL <= yhi_) {
        s.x1 = xlo_, s.y1 = yL;
    } else if (yL < ylo_) {
        s.x1 = xB, s.y1 = ylo_;
    } else {
        s.x1 = xT, s.y1 = yhi_;
    }
    if (inside(xb, yb)) {
        s.x2 = xb, s.y2 = yb;
    } else if (yH > yhi_) {
        s.x2 = xT, s.y2 = yhi_;
    } else if (yH >= ylo_) {
        s.x2 = xhi_, s.y2 = yH;
    } else {
        s.x2 = xB, s.y2 = ylo_;
    }
    return s;
}
