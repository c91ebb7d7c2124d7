#pragma once
// The distance between major ticks of a display range, 1, 2 or 5 times a
// power of ten, chosen for about five intervals, and the first major tick.
//
// Threads: any (a plain value with a pure function).

struct TickStep {
    bool valid = false;  // false for an empty or non-finite range: draw no ticks
    double step = 0.0;   // negative for a descending range
    double first = 0.0;  // first major tick at or after lo, in the direction of hi

    static TickStep forRange(double lo, double hi);
};
