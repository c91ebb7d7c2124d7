#pragma once
// The records of the current clip, in pages of 64 that are allocated once
// (5 at construction, more when a clip needs them) and reused for every clip.
// Record i of the track is record i % 64 of page i / 64; texts that did not
// parse keep their place as invalid records.
//
// Threads: the extraction's pipe thread adds records and publishes pages;
// the UI thread clears the store, reads published pages and moves
// shownPages. A lock covers the page list and the filling position, so
// pages never move while the list grows and a clear cannot interleave with
// an add. Every clear starts a new generation: adds and publications made
// for an older generation (a run that was still going when the store was
// cleared) are refused.
//
// Readers: a page is visible once its index is below getReadyPages(); its
// records and map coordinates are complete by then. Consumers draw from
// getShownPages() up to the ready value they read once, then set shownPages
// to that same value:
//     const int32_t ready = store.getReadyPages();
//     for (int32_t i = store.getShownPages(); i < ready; ++i) draw(*store.getPage(i));
//     store.setShownPages(ready);
#include "track/TrackPage.h"
#include "track/TrackRecord.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TrackStore {
public:
    static constexpr int32_t kInitialPages = 5;

    TrackStore();
    TrackStore(const TrackStore&) = delete;
    TrackStore& operator=(const TrackStore&) = delete;

    // Empties every page (they stay allocated), resets the counters and
    // starts a new generation.
    void clear();
    uint64_t generation() const { return generation_.load(std::memory_order_acquire); }

    // Appends a copy of the record to the page being filled, appending a page
    // when all are used. False for a null record or a stale generation. A
    // full page is not yet visible: see publishPage.
    bool add(const TrackRecord* record);
    bool add(const TrackRecord* record, uint64_t generation);

    // Runs prepare on page `index` under the store's lock (the map
    // conversion goes here), then makes pages up to and including `index`
    // visible. A page published before it is full is closed: later records
    // go to the next page. Returns -1 for a stale generation, 0 when there is
    // no such page (nothing is published), 1 when published. preparedOk
    // receives prepare's result when given.
    int publishPage(uint64_t generation, int32_t index, const std::function<bool(TrackPage&)>& prepare,
                    bool* preparedOk = nullptr);

    // A page that stays at the same address for the store's lifetime, or
    // null when index is negative or not below getPageCount(). Read the
    // records only of pages below getReadyPages().
    TrackPage* getPage(int32_t index);
    const TrackPage* getPage(int32_t index) const;

    int32_t getPageCount() const;
    int32_t getCurrentPage() const;
    int32_t getReadyPages() const { return readyPages_.load(std::memory_order_acquire); }
    int32_t getShownPages() const { return shownPages_.load(std::memory_order_acquire); }
    void setShownPages(int32_t pages) { shownPages_.store(pages, std::memory_order_release); }

private:
    TrackPage* pageLocked(int32_t index) const;

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<TrackPage>> pages_;  // under mutex_
    int32_t currentPage_ = 0;                        // under mutex_
    std::atomic<uint64_t> generation_{0};            // written under mutex_
    std::atomic<int32_t> readyPages_{0};             // written under mutex_
    std::atomic<int32_t> shownPages_{0};
};
