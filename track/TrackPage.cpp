#include "track/TrackPage.h"

bool TrackPage::append(const TrackRecord& record) {
    const int32_t n = count_.load(std::memory_order_relaxed);
    if (n >= kCapacity) return false;
    copyStoredFields(record, records_[static_cast<size_t>(n)]);
    count_.store(n + 1, std::memory_order_release);
    return true;
}
