#pragma once
// How an axis range follows the data of its series. Ranges only grow.
//  - X: each end the data exceed moves to exactly the data's extreme.
//  - Y: when the data leave the range, the union of range and data is
//    widened about its centre so that it fills `fill` of the new range, which
//    leaves room before the next widening.
// A data extent whose two ends are equal changes nothing.
//
// Threads: any (pure functions).
#include "chart/DataExtent.h"

#include <optional>

struct RangeFit {
    bool changed = false;
    double min = 0.0;
    double max = 0.0;

    // Nothing when there is no data: the caller then requests no repaint.
    static std::optional<RangeFit> growX(double rawMin, double rawMax, const std::optional<DataExtent>& data);
    // fill outside (0, 1] widens nothing.
    static std::optional<RangeFit> widenY(double rawMin, double rawMax, const std::optional<DataExtent>& data,
                                          double fill);
};
