#pragma once
// Distances of the plot area from the chart's edges, from the skin's
// "inset" attribute: four decimal integers in the order left, top, right,
// bottom, each separated from the next by one character ("40,8,12,8").
//
// Threads: any (a plain value with a pure function).
#include <string_view>

struct ChartInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Each number is read like strtol in base 10 (leading blanks, a sign),
    // starting one character after the end of the previous one; a place
    // without a number reads as 0, and numbers missing at the end of the
    // text are 0. Values beyond the int range are clamped.
    static ChartInsets parse(std::string_view text);
};
