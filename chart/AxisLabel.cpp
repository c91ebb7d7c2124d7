#include "chart/AxisLabel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string AxisLabel::format(double value, std::string_view unit) {
    const double t = std::trunc(value - 2.0);
    // Display values stay within a few thousand; anything else is not a
    // number a label could show.
    if (!(std::fabs(t) < 1e8)) return std::string(unit);
    const int n = 3 * static_cast<int>(t);
    char buffer[512];
    const int unitLength = static_cast<int>(std::min<size_t>(unit.size(), sizeof buffer));
    std::snprintf(buffer, sizeof buffer, n < 0 ? "%d%.*s" : " %d%.*s", n, unitLength, unit.data());
    return buffer;
}

std::string AxisLabel::plain(double value, int exponent, std::string_view unit) {
    const double raw = value * std::pow(10.0, std::clamp(exponent, -30, 30));
    if (!(std::fabs(raw) < 1e12)) return std::string(unit);
    char buffer[512];
    const int unitLength = static_cast<int>(std::min<size_t>(unit.size(), 256));
    std::snprintf(buffer, sizeof buffer, raw < 0 ? "%.0f%.*s" : " %.0f%.*s", raw, unitLength, unit.data());
    return buffer;
}
