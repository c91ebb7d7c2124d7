#pragma once
// The playback speeds the player offers, and stepping through them. A speed
// between two steps (set another way) steps to the next one in the
// direction asked.
//
// Threads: any; pure functions.
#include <array>

class PlaybackSpeedSteps {
public:
    static constexpr std::array<double, 6> kFactors{0.25, 0.5, 1.0, 1.5, 2.0, 4.0};
    static constexpr double kNormal = 1.0;

    // The next step up or down; the fastest and slowest stay where they are.
    static double Faster(double current);
    static double Slower(double current);
    // The next step up, from the fastest back to the slowest (the play
    // panel's button).
    static double Cycle(double current);
};
