#pragma once
// Reads the track of every clip of the playlist in the background and hands
// out the trips they form. One worker thread reads the clips through the
// track index (a clip read before, in this run or an earlier one, comes from
// the index), the current clip first, then the rest in playlist order.
// A clip stays read for as long as it is in the list; a clip that cannot be
// read becomes a ClipTrack with its problem and belongs to no trip.
//
// What was read goes out as a whole TripSet snapshot with the progress: at
// once after the current clip, then at most every kPublishIntervalMs while
// more is read (building a snapshot costs time of its own), and when the
// queue runs dry; never twice for the same clips. Progress alone goes out
// after every clip and every new list.
//
// Memory: the samples held for the list stay within kRecordBudget. A clip
// that would go beyond it is kept thinned (every k-th sample, at least
// kMinRecordsKept of them): enough to draw and seek; its note says so.
//
// Threads: setClips() and stop() from one owner thread; setClips() never
// waits for a read. The listener is called on the worker, never under the
// worker's lock. Lifecycle: the worker starts with the first setClips();
// stop() (also the destructor) makes the read in hand give up (a stop flag
// the reader checks in its loops and FFmpeg's interrupt callback) and joins
// the worker. No call to the listener follows stop().
#include "telemetry/DisplayZone.h"
#include "trackindex/RecordBudget.h"
#include "trip/TripSet.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class IndexedTrackReader;
class TrackIndex;

class PlaylistIndexer {
public:
    struct Update {
        std::shared_ptr<const TripSet> trips;  // null: progress only
        size_t done = 0;                       // clips of the list read so far
        size_t total = 0;                      // clips in the list
    };
    using Listener = std::function<void(const Update&)>;

    static constexpr int kPublishIntervalMs = 200;
    static constexpr int kWorkerNice = 10;
    static constexpr size_t kRecordBudget = record_budget::kRecords;  // the tool holds the same
    static constexpr size_t kMinRecordsKept = record_budget::kMinKept;

    // indexPath: the track index file; empty reads every clip directly.
    // events: how the snapshots' trips find their events. zone: where UTC
    // times are shown.
    PlaylistIndexer(Listener listener, std::string indexPath, const EventSettings& events = {},
                    const DisplayZone& zone = {});
    ~PlaylistIndexer();
    PlaylistIndexer(const PlaylistIndexer&) = delete;
    PlaylistIndexer& operator=(const PlaylistIndexer&) = delete;

    // The playlist's clips in order and the one being played ("" for none).
    // Replaces what is waiting to be read; clips read already are kept.
    void setClips(std::vector<std::string> paths, std::string current);
    void stop();

    // Keeps every k-th sample of a clip with more samples than `room` (at
    // least kMinRecordsKept), and says so in its note.
    static void thin(ClipTrack& clip, size_t room);

private:
    void run();
    void openIndex();
    // held: the samples kept for the list so far; the clip is thinned to stay within the budget.
    std::shared_ptr<const ClipTrack> readClip(IndexedTrackReader& reader, const std::string& path, size_t held) const;

    // The next clip to read, "" when none; under mutex_.
    std::string nextToRead();

    Listener listener_;
    std::string indexPath_;
    EventSettings events_;
    DisplayZone zone_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;                   // under mutex_
    std::atomic<bool> stopRead_{false};       // set by stop(); read by the reader's loops
    bool changed_ = false;                    // under mutex_: a list or a clip not in a snapshot yet
    std::vector<std::string> paths_;          // under mutex_; each path once
    std::unordered_set<std::string> listed_;  // under mutex_: paths_ as a set
    size_t cursor_ = 0;                       // under mutex_: paths_ before it are read
    std::string current_;                     // under mutex_
    // Under mutex_: the clips of the list read so far (listed ones only).
    std::unordered_map<std::string, std::shared_ptr<const ClipTrack>> read_;
    // Started and joined by the owner's calls.
    std::thread worker_;

    // The worker's own.
    std::unique_ptr<TrackIndex> index_;
};
