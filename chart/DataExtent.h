#pragma once
// The smallest and largest value a set of series holds on one axis, over the
// pairs that take part in drawing. Values that are not finite are skipped.
//
// Threads: any; the series must not change meanwhile (hold the series lock).
#include "chart/CCurve.h"

#include <memory>
#include <optional>
#include <vector>

struct DataExtent {
    double min = 0.0;
    double max = 0.0;

    // Over the x values of every series; nothing when they hold no pairs.
    static std::optional<DataExtent> ofX(const std::vector<std::unique_ptr<CCurve>>& curves);
    // Over the y values of the series bound to slot.
    static std::optional<DataExtent> ofY(const std::vector<std::unique_ptr<CCurve>>& curves, int slot);
};
