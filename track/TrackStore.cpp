#include "track/TrackStore.h"

#include <algorithm>

TrackStore::TrackStore() {
    pages_.reserve(kInitialPages);
    for (int32_t i = 0; i < kInitialPages; ++i) pages_.push_back(std::make_unique<TrackPage>());
}

void TrackStore::clear() {
    std::lock_guard lock(mutex_);
    for (auto& page : pages_) page->clear();
    currentPage_ = 0;
    readyPages_.store(0, std::memory_order_release);
    shownPages_.store(0, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

bool TrackStore::add(const TrackRecord* record) {
    return add(record, generation());
}

bool TrackStore::add(const TrackRecord* record, uint64_t generation) {
    if (record == nullptr) return false;
    std::lock_guard lock(mutex_);
    if (generation != generation_.load(std::memory_order_relaxed)) return false;
    if (static_cast<size_t>(currentPage_) == pages_.size()) pages_.push_back(std::make_unique<TrackPage>());
    TrackPage& page = *pages_[static_cast<size_t>(currentPage_)];
    page.append(*record);
    if (page.full()) ++currentPage_;
    return true;
}

int TrackStore::publishPage(uint64_t generation, int32_t index, const std::function<bool(TrackPage&)>& prepare,
                            bool* preparedOk) {
    std::lock_guard lock(mutex_);
    if (generation != generation_.load(std::memory_order_relaxed)) return -1;
    TrackPage* page = pageLocked(index);
    if (page == nullptr) return 0;
    const bool ok = prepare ? prepare(*page) : true;
    if (preparedOk != nullptr) *preparedOk = ok;
    // Close the page so no later record lands in what readers now see.
    currentPage_ = std::max(currentPage_, index + 1);
    if (readyPages_.load(std::memory_order_relaxed) < index + 1)
        readyPages_.store(index + 1, std::memory_order_release);
    return 1;
}

TrackPage* TrackStore::pageLocked(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= pages_.size()) return nullptr;
    return pages_[static_cast<size_t>(index)].get();
}

TrackPage* TrackStore::getPage(int32_t index) {
    std::lock_guard lock(mutex_);
    return pageLocked(index);
}

const TrackPage* TrackStore::getPage(int32_t index) const {
    std::lock_guard lock(mutex_);
    return pageLocked(index);
}

int32_t TrackStore::getPageCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int32_t>(pages_.size());
}

int32_t TrackStore::getCurrentPage() const {
    std::lock_guard lock(mutex_);
    return currentPage_;
}
