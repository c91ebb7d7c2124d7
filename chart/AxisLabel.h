#pragma once
// The text of a major Y tick. The camera's sensor values are charted with a
// display range of 0 to 4 (raw 0 to 4000) where 2 is rest: the label shows
// n = 3 x trunc(v - 2) followed by the unit, with a blank in front of
// numbers that are not negative so the columns line up ("-3G", " 0G").
// A scale of its own (a car's speed and pedal) shows its numbers as they are.
//
// Threads: any (pure function).
#include <string>
#include <string_view>

class AxisLabel {
public:
    static std::string format(double value, std::string_view unit);
    // Any other scale's label: the raw value (display value times 10^exponent),
    // whole, then the unit ("150", " 0").
    static std::string plain(double value, int exponent, std::string_view unit);
};
