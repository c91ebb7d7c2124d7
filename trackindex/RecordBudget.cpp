#include "trackindex/RecordBudget.h"

#include <algorithm>

namespace record_budget {

size_t thin(std::vector<TrackRecord>& records, std::vector<int64_t>& timesMs, size_t room) {
    const size_t n = records.size();
    const size_t keep = std::max(room, kMinKept);
    if (n <= keep) return 1;
    const size_t step = (n + keep - 1) / keep;
    size_t kept = 0;
    for (size_t i = 0; i < n; i += step, ++kept) {
        records[kept] = records[i];
        if (i < timesMs.size()) timesMs[kept] = timesMs[i];
    }
    records.resize(kept);
    records.shrink_to_fit();
    timesMs.resize(std::min(kept, timesMs.size()));
    timesMs.shrink_to_fit();
    return step;
}

size_t thin(std::vector<TelemetrySample>& samples, size_t room) {
    const size_t n = samples.size();
    const size_t keep = std::max(room, kMinKept);
    if (n <= keep) return 1;
    const size_t step = (n + keep - 1) / keep;
    size_t kept = 0;
    for (size_t i = 0; i < n; i += step, ++kept) samples[kept] = samples[i];
    samples.resize(kept);
    samples.shrink_to_fit();
    return step;
}

}  // namespace record_budget
