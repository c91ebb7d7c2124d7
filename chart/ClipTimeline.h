#pragma once
// ClipTimeline: places the records of one clip's track on the clip's time
// axis, in seconds from its first record. A record's place comes from its
// clock (date, time and milliseconds), so a camera that writes ten records a
// second and one that writes one a second both span the clip's length.
// Records of one whole second without a fraction are spread over it at the
// rate the clock showed in the last full second; a record without a real
// clock, or whose clock runs back or leaps, is placed one step after the
// previous record (0.2 s until the clock has shown its rate).
//
// Threads: a plain value, used by its owner's thread. Lifecycle: reset per clip.
#include "track/TrackRecord.h"

class ClipTimeline {
public:
    static constexpr double kDefaultStep = 0.2;
    // A longer step between two records is taken for a clock that leapt
    // (the player's sampling keeps one text in ten, so ten seconds are normal).
    static constexpr double kLongestStep = 60.0;

    // The record's time in the clip; call once per record, in order.
    double place(const TrackRecord& record);
    // Where the next record would go without a clock.
    double next() const { return last_ + step_; }
    void reset() { *this = ClipTimeline(); }

private:
    bool anchored_ = false;
    double anchor_ = 0.0;   // clock seconds at clip time 0
    double second_ = 0.0;   // clock of the last record with a clock
    int inSecond_ = 0;      // records placed at second_ so far
    double step_ = kDefaultStep;
    double last_ = -kDefaultStep;
};
