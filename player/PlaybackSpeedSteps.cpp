#include "player/PlaybackSpeedSteps.h"

namespace {
// Speeds within this of a step count as that step (the player answers in hundredths).
constexpr double kSame = 0.005;
}  // namespace

double PlaybackSpeedSteps::Faster(double current) {
    for (const double factor : kFactors)
        if (factor > current + kSame) return factor;
    return kFactors.back();
}

double PlaybackSpeedSteps::Slower(double current) {
    for (auto it = kFactors.rbegin(); it != kFactors.rend(); ++it)
        if (*it < current - kSame) return *it;
    return kFactors.front();
}

double PlaybackSpeedSteps::Cycle(double current) {
    return current >= kFactors.back() - kSame ? kFactors.front() : Faster(current);
}
