#include "track/TrackBatchProcessor.h"

#include "track/TrackEvents.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

TrackBatchProcessor::TrackBatchProcessor(std::function<bool()> isStopping, std::function<void()> clearStopPending)
    : isStopping_(std::move(isStopping)), clearStopPending_(std::move(clearStopPending)) {}

void TrackBatchProcessor::setStore(TrackStore* store) {
    store_.store(store);
    // Tools that run a single pass need no beginRun.
    if (store != nullptr) runGeneration_.store(store->generation());
}

void TrackBatchProcessor::setTarget(platform::MessageTarget* target, uint32_t message) {
    message_.store(message);
    target_.store(target);
}

void TrackBatchProcessor::setConversion(TrackMapConversion conversion) {
    conversion_.store(conversion);
}

void TrackBatchProcessor::beginRun() {
    if (TrackStore* store = store_.load()) runGeneration_.store(store->generation());
}

void TrackBatchProcessor::post(uintptr_t code) const {
    if (platform::MessageTarget* target = target_.load()) target->postMessage(message_.load(), code, 0);
}

int TrackBatchProcessor::processBatch(int32_t batchIndex, std::span<const TrackTextSlot> slots) {
    if (stopping()) return -1;
    TrackStore* store = store_.load();
    if (store == nullptr) return 0;
    const uint64_t generation = runGeneration_.load();

    const size_t filled = std::min(slots.size(), kTrackBatchSlots);
    for (size_t i = 0; i < filled; ++i) {
        const char* slot = slots[i].data();
        size_t start = 0;
        while (start < kTrackTextSize && slot[start] == '\0') ++start;
        const std::string_view text(slot + start, strnlen(slot + start, kTrackTextSize - start));
        parser_.parse(text);
        // Refused only when the store was cleared under this run: drop the rest.
        if (!store->add(&parser_.record(), generation)) return -1;
    }
    if (stopping()) return -1;

    const TrackMapConversion conversion = conversion_.load();
    bool converted = false;
    const int published = store->publishPage(
        generation, batchIndex,
        [conversion](TrackPage& page) { return convertPage(conversion, page.records(), page.count()); }, &converted);
    if (published < 0) return -1;
    if (published == 0) return 0;
    if (stopping()) return -1;

    if (batchIndex == 0 && clearStopPending_) clearStopPending_();
    post(TRACK_BATCH_READY);
    if (batchIndex == 0) post(TRACK_FIRST_BATCH_DONE);
    return converted ? 1 : 0;
}
