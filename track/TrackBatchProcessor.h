#pragma once
// Turns one batch of up to 64 track texts of an extraction run into a page
// of the TrackStore: parses each text (full form), adds the records, writes
// the page's map coordinates, publishes the page (readyPages) and posts
// TRACK_BATCH_READY, plus TRACK_FIRST_BATCH_DONE after the first batch.
//
// Owner: SubtitleExtractor, which keeps one processor for its lifetime.
// Threads: the setters and beginRun on the UI thread; processBatch on the
// run's pipe thread, one run at a time. setConversion may be called from any
// thread; it takes effect from the next batch.
//
// How the extractor uses it:
// - Construction: pass two hooks, both called on the pipe thread:
//       isStopping: true while the run is being stopped (state EXTRACT_STOPPING);
//       clearStopPending: clears the extractor's stopPending.
//   Either may be empty (never stopping / nothing to clear).
// - setStore(&store) once (the playback controller's TrackStore);
//   setTarget(target, message) whenever the extractor's own target is set
//   (posts go to `target` with `message`, wParam = code, lParam = 0; none
//   while the target is null).
// - beginRun() in start(), after the store was cleared for the new file and
//   after the pipe thread of any earlier run has ended, before the new pipe
//   thread can call processBatch. The run is bound to the store's current
//   generation; if the store is cleared while the run is going, its later
//   batches are dropped and processBatch returns -1.
// - Each time 64 slots are filled: processBatch(batchCount - 1, slots). On -1
//   leave the reader loop as stopped.
// - End of stream with r slots filled (1..63), after adding the repeated last
//   chunk: processBatch(batchCount - 1, first r + 1 slots). Do NOT raise
//   readyPages: every page, the final short one included, becomes visible
//   only inside processBatch, after its records and map coordinates are
//   written.
// - A run without a single filled slot: the extractor posts
//   TRACK_FIRST_BATCH_DONE itself (track/TrackEvents.h has the codes).
#include "platform/MessageTarget.h"
#include "track/TrackMapConversion.h"
#include "track/TrackParser.h"
#include "track/TrackStore.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

constexpr size_t kTrackBatchSlots = 64;
constexpr size_t kTrackTextSize = 128;
// One text slot: at most 127 bytes and a terminating zero byte. A slot
// without a terminator is read up to its end; leading zero bytes are skipped.
using TrackTextSlot = std::array<char, kTrackTextSize>;

class TrackBatchProcessor {
public:
    TrackBatchProcessor(std::function<bool()> isStopping, std::function<void()> clearStopPending);
    TrackBatchProcessor() : TrackBatchProcessor(nullptr, nullptr) {}
    TrackBatchProcessor(const TrackBatchProcessor&) = delete;
    TrackBatchProcessor& operator=(const TrackBatchProcessor&) = delete;

    void setStore(TrackStore* store);
    void setTarget(platform::MessageTarget* target, uint32_t message = platform::WM_TRACK_EVENT);
    void setConversion(TrackMapConversion conversion);
    TrackMapConversion conversion() const { return conversion_.load(); }

    void beginRun();

    // Batch `batchIndex` of the run (page batchIndex of the store); only the
    // first 64 slots are used. Returns -1 when the run is stopping or stale
    // (nothing more is posted), 0 when there was no store or no such page
    // (nothing posted), 1 when the page was converted and announced.
    int processBatch(int32_t batchIndex, std::span<const TrackTextSlot> slots);

private:
    bool stopping() const { return isStopping_ && isStopping_(); }
    void post(uintptr_t code) const;

    std::function<bool()> isStopping_;
    std::function<void()> clearStopPending_;
    std::atomic<TrackStore*> store_{nullptr};
    std::atomic<platform::MessageTarget*> target_{nullptr};
    std::atomic<uint32_t> message_{platform::WM_TRACK_EVENT};
    std::atomic<TrackMapConversion> conversion_{TrackMapConversion::Copy};
    std::atomic<uint64_t> runGeneration_{0};
    TrackParser parser_;  // the pipe thread's batch parser
};
