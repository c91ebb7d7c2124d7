#pragma once
// A moment of a clip in milliseconds as the whole second a seek takes, in
// 64-bit and clamped: a hostile clip's times may be negative, beyond the
// range of a second count, or near the limit of int64_t.
#include <cstdint>
#include <limits>

// Rounded to the nearest second when round, else cut; within [0, INT32_MAX].
constexpr int32_t clipSecondOfMs(int64_t ms, bool round = false) {
    if (ms <= 0) return 0;
    const int64_t seconds = ms / 1000 + (round && ms % 1000 >= 500 ? 1 : 0);
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(seconds < kMax ? seconds : kMax);
}
