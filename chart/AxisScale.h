#pragma once
// The scale of one chart axis: the range in the units of the data (raw) and
// the same range divided by a common power of ten (display), so that large
// or small values are drawn and labelled as small numbers.
//
// Threads: any (a plain value with pure functions).
#include <cstdint>

struct AxisScale {
    double rawMin = 0.0;
    double rawMax = 1.0;
    int exponent = 0;
    double displayMin = 0.0;
    double displayMax = 1.0;

    // Scale for the raw range [a, b]: the exponent is the larger decimal
    // exponent of the two ends, or 0 when that lies within -2..2.
    static AxisScale fromRaw(double a, double b);

    // floor(log10 |v|) by repeated division or multiplication; 0 for 0 and
    // for values that are not finite.
    static int decimalExponent(double v);

    // A range the axis can be drawn with: finite ends that differ.
    static bool usableRange(double a, double b);

    // Display value of a raw value.
    double toDisplay(double raw) const;
};
