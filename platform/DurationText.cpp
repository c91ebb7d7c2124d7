#include "platform/DurationText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace platform {

namespace {

std::string pair(int64_t big, const char* bigUnit, int64_t small, const char* smallUnit) {
    std::string text = std::to_string(big) + bigUnit;
    if (small > 0) text += " " + std::to_string(small) + smallUnit;
    return text;
}

}  // namespace

std::string durationText(double seconds) {
    if (!std::isfinite(seconds)) return "an unknown time";
    if (seconds < 0.0) return "-" + durationText(-seconds);
    if (seconds < 59.95) {
        char text[32];
        // Tenths where they say something: "9.5 s", "30 s".
        const double tenths = std::round(seconds * 10.0);
        if (std::fmod(tenths, 10.0) == 0.0)
            std::snprintf(text, sizeof text, "%.0f s", tenths / 10.0);
        else
            std::snprintf(text, sizeof text, "%.1f s", tenths / 10.0);
        return text;
    }
    // Beyond a minute whole seconds are enough; a gap of 1e12 s still fits.
    const double capped = std::min(std::round(seconds), 1e15);
    const auto whole = static_cast<int64_t>(capped);
    if (whole < 3600) return pair(whole / 60, " min", whole % 60, " s");
    const int64_t minutes = (whole + 30) / 60;
    if (minutes < 24 * 60) return pair(minutes / 60, " h", minutes % 60, " min");
    const int64_t hours = (whole + 1800) / 3600;
    const int64_t days = hours / 24;
    return pair(days, days == 1 ? " day" : " days", hours % 24, " h");
}

}  // namespace platform
