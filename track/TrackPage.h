#pragma once
// A fixed page of 64 track records, owned by TrackStore and never moved.
//
// Threads: the extraction's pipe thread appends (through TrackStore); the UI
// thread reads the records of a page only once the store has published it
// (index below TrackStore::getReadyPages()), after which nothing writes it
// until the store is cleared on the UI thread. count() may be read at any
// time.
#include "track/TrackRecord.h"

#include <array>
#include <atomic>
#include <cstdint>

class TrackPage {
public:
    static constexpr int32_t kCapacity = 64;

    TrackPage() = default;
    TrackPage(const TrackPage&) = delete;
    TrackPage& operator=(const TrackPage&) = delete;

    const TrackRecord* records() const { return records_.data(); }
    TrackRecord* records() { return records_.data(); }
    int32_t count() const { return count_.load(std::memory_order_acquire); }
    int32_t capacity() const { return kCapacity; }
    bool full() const { return count() >= kCapacity; }

    // Copies the valid flag and, for a valid record, the date, time,
    // position, speed and axes into the next place. Hemisphere and
    // degree/minute/second parts are not kept; the map coordinates come from
    // the page conversion. False when the page is full.
    bool append(const TrackRecord& record);
    void clear() { count_.store(0, std::memory_order_release); }

private:
    std::atomic<int32_t> count_{0};
    std::array<TrackRecord, kCapacity> records_{};
};
