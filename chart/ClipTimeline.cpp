#include "chart/ClipTimeline.h"

#include "platform/CivilTime.h"

#include <algorithm>
#include <cstdint>

double ClipTimeline::place(const TrackRecord& r) {
    int64_t seconds = 0;
    const bool clock =
        r.valid && platform::civilSeconds(r.year, r.month, r.day, r.hour, r.minute, r.second, seconds);
    double time = next();
    if (clock) {
        const double at = static_cast<double>(seconds) + r.millisecond / 1000.0;
        if (!anchored_) {
            anchored_ = true;
            anchor_ = at - time;
            second_ = at;
        }
        const double step = at - second_;
        if (step == 0.0 && r.millisecond == 0 && inSecond_ > 0) {
            time = at - anchor_ + inSecond_ * step_;
            ++inSecond_;
        } else if (step >= 0.0 && step <= kLongestStep) {
            if (step == 1.0 && r.millisecond == 0 && inSecond_ > 1) step_ = 1.0 / inSecond_;
            // Never back: the first second's spread may have guessed too few records a second.
            time = std::max(at - anchor_, last_);
            second_ = at;
            inSecond_ = 1;
        } else {
            anchor_ = at - time;
            second_ = at;
            inSecond_ = 1;
        }
    }
    last_ = time;
    return time;
}
