#pragma once
// The timeline strip's time axis: a clip's play time from 0 to its span laid
// over a width of pixels, both ways. Out-of-range and non-finite inputs land
// on the nearer end, so a stray click or a record past the clip's end never
// leaves the strip.
//
// Threads: a plain value; any thread. Nothing starts or stops.
#include <cstdint>

class TimelineScale {
public:
    // A width or span that is not positive makes an empty scale: every time
    // is at x 0 and every x at time 0.
    TimelineScale(double width, int64_t spanMs);

    double width() const { return width_; }
    int64_t spanMs() const { return spanMs_; }

    double xOf(int64_t ms) const;
    // The fraction of the width x lies at, within [0, 1].
    double fractionAt(double x) const;
    // The whole second nearest to x, within [0, span].
    int32_t secondsAt(double x) const;
    // The same for a fraction of the width, as the test driver gives it.
    int32_t secondsAtFraction(double fraction) const;

private:
    double width_ = 0.0;
    int64_t spanMs_ = 0;
};
