#include "chart/DataExtent.h"

#include <cmath>

namespace {

void include(std::optional<DataExtent>& extent, const std::vector<double>& values, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const double v = values[i];
        if (!std::isfinite(v)) continue;
        if (!extent) {
            extent = DataExtent{v, v};
        } else {
            if (v < extent->min) extent->min = v;
            if (v > extent->max) extent->max = v;
        }
    }
}

}  // namespace

std::optional<DataExtent> DataExtent::ofX(const std::vector<std::unique_ptr<CCurve>>& curves) {
    std::optional<DataExtent> extent;
    for (const auto& curve : curves) include(extent, curve->XValues(), curve->PointCount());
    return extent;
}

std::optional<DataExtent> DataExtent::ofY(const std::vector<std::unique_ptr<CCurve>>& curves, int slot) {
    std::optional<DataExtent> extent;
    for (const auto& curve : curves) {
        if (curve->GetSlot() == slot) include(extent, curve->YValues(), curve->PointCount());
    }
    return extent;
}
