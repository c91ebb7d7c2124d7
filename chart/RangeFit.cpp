#include "chart/RangeFit.h"

#include "chart/AxisScale.h"

std::optional<RangeFit> RangeFit::growX(double rawMin, double rawMax, const std::optional<DataExtent>& data) {
    if (!data) return std::nullopt;
    RangeFit fit{false, rawMin, rawMax};
    if (data->min == data->max) return fit;
    if (data->min < fit.min) fit.min = data->min;
    if (data->max > fit.max) fit.max = data->max;
    fit.changed = fit.min != rawMin || fit.max != rawMax;
    return fit;
}

std::optional<RangeFit> RangeFit::widenY(double rawMin, double rawMax, const std::optional<DataExtent>& data,
                                         double fill) {
    if (!data) return std::nullopt;
    RangeFit fit{false, rawMin, rawMax};
    if (data->min == data->max) return fit;
    if (!(data->max > rawMax) && !(data->min < rawMin)) return fit;
    // A fill above 1 would shrink the range below the data, 0 or less would
    // make it infinite or turn it over.
    if (!(fill > 0.0 && fill <= 1.0)) return fit;

    const double p = data->min < rawMin ? data->min : rawMin;
    const double q = data->max > rawMax ? data->max : rawMax;
    const double centre = (p + q) / 2;
    const double half = (q - p) / 2;
    const double u = 1 / fill;
    const double lo = centre - u * half;
    const double hi = centre + u * half;
    if (!AxisScale::usableRange(lo, hi)) return fit;  // data near the limits of double
    fit.min = lo;
    fit.max = hi;
    fit.changed = true;
    return fit;
}
