#include "trip/TripClipSpans.h"

#include <algorithm>

std::vector<double> TripClipSpans::edges(const TripRoute& trip) {
    const size_t clips = trip.clipPaths.size();
    if (clips == 0) return {};
    std::vector<int64_t> spans(clips, kMinClipMs);
    for (const RouteFix& fix : trip.fixes)
        if (fix.clip < clips) spans[fix.clip] = std::max(spans[fix.clip], fix.timeMs);
    double total = 0.0;
    for (int64_t span : spans) total += static_cast<double>(span);
    std::vector<double> result{0.0};
    double sum = 0.0;
    for (int64_t span : spans) {
        sum += static_cast<double>(span);
        result.push_back(std::min(sum / total, 1.0));
    }
    result.back() = 1.0;
    return result;
}
