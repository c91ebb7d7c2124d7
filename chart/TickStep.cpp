#include "chart/TickStep.h"

#include <cmath>

TickStep TickStep::forRange(double lo, double hi) {
    TickStep t;
    double r = hi - lo;
    const bool descending = r < 0.0;
    if (descending) r = -r;
    // The searches below would never end on an empty or infinite range.
    if (!(r > 0.0) || !std::isfinite(r) || !std::isfinite(lo)) return t;

    static constexpr double multipliers[] = {1.0, 2.0, 5.0};
    double bestScore = 100.0;
    double bestMultiplier = 1.0;
    int bestPower = 0;
    for (const double m : multipliers) {
        double h = r / m;
        int k = 0;
        while (h >= 20.0) {
            h /= 10.0;
            ++k;
        }
        while (h <= 1.0) {
            h *= 10.0;
            --k;
        }
        const double score = std::fabs(std::trunc(h) - 5.0);
        if (score < bestScore) {  // a tie keeps the earlier multiplier
            bestScore = score;
            bestMultiplier = m;
            bestPower = k;
        }
    }
    t.step = bestMultiplier * std::pow(10.0, static_cast<double>(bestPower));
    if (descending) {
        t.first = std::floor(lo / t.step) * t.step;
        t.step = -t.step;
    } else {
        t.first = std::ceil(lo / t.step) * t.step;
    }
    t.valid = std::isfinite(t.first) && std::isfinite(t.step) && t.step != 0.0;
    return t;
}
