#include "chart/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace {

// 10^e for the small exponents a double range can have.
double powerOfTen(int e) {
    return std::pow(10.0, static_cast<double>(e));
}

}  // namespace

int AxisScale::decimalExponent(double v) {
    if (v == 0.0 || !std::isfinite(v)) return 0;
    v = std::fabs(v);
    int e = 0;
    while (v >= 10.0) {
        v /= 10.0;
        ++e;
    }
    while (v < 1.0) {
        v *= 10.0;
        --e;
    }
    return e;
}

bool AxisScale::usableRange(double a, double b) {
    return std::isfinite(a) && std::isfinite(b) && a != b;
}

AxisScale AxisScale::fromRaw(double a, double b) {
    AxisScale s;
    s.rawMin = a;
    s.rawMax = b;
    int o = std::max(decimalExponent(a), decimalExponent(b));
    if (o >= -2 && o <= 2) o = 0;
    s.exponent = o;
    s.displayMin = s.toDisplay(a);
    s.displayMax = s.toDisplay(b);
    return s;
}

double AxisScale::toDisplay(double raw) const {
    return exponent == 0 ? raw : raw / powerOfTen(exponent);
}
