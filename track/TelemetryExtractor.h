#pragma once
// Gets a clip's track out of its own telemetry data (Novatek blocks, NMEA,
// BlackVue, GoPro, CAMM, Garmin, 70mai: whatever telemetry/ reads) for the
// player: a worker probes the clip and, when it holds such data, reads every
// sample, fills the TrackStore in pages and posts the same TRACK_BATCH_READY
// and TRACK_FIRST_BATCH_DONE the converter's run posts, so the map line and
// the chart take it as they take the camera's text track. The records lie on
// the chart's time grid (one every 0.2 s of the clip, from 0 to the last
// sample), interpolated between samples; moments without data keep their
// place as invalid records.
//
// The camera's own text track, a clip without data and a file the box reader
// cannot open are not this extractor's: the worker hands them to the
// `otherTrack` hook (the owner starts the converter's run there), so their
// path stays exactly as it was, only after the probe.
//
// Live position: once the clip is this extractor's (ownsClip()),
// followPosition() takes the moment at a play position from the samples
// into liveRecord() and posts WM_TRACK_LIVE (wParam = the tag, lParam = 1
// with a record, 0 without: before the data or in a gap), as the live
// parser does with a text.
//
// Threads: the owner's thread (the playback controller, under its own lock)
// configures, starts and stops; followPosition, liveRecord, ownsClip and
// run may be called from any thread. Each start has a worker thread of its
// own. The hook runs on that worker.
// Lifecycle: start() begins a run on a file (stopping the one before);
// stop() cancels the run without waiting for it: a worker still reading a
// large file finishes in the background and its results are dropped (it
// publishes, posts and calls the hook only while its run is current, checked
// under a lock stop() takes). Finished workers are joined by the next start
// or stop; the destructor joins every worker.
#include "platform/MessageTarget.h"
#include "telemetry/DisplayZone.h"
#include "telemetry/TelemetryFormat.h"
#include "telemetry/TelemetrySample.h"
#include "track/TrackMapConversion.h"
#include "track/TrackRecord.h"
#include "track/TrackStore.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TelemetryExtractor {
public:
    // Called on the worker with the run's number when the clip is not this
    // extractor's, and the file whose track the owner reads instead (the
    // clip, or its partner when only the partner has a track); the owner
    // compares the number with run() under its own lock.
    using OtherTrackHook = std::function<void(uint64_t run, const std::string& path)>;

    static constexpr int64_t kRecordStepMs = 200;  // the chart's time per record
    // A clip's track ends after this many records (three hours), whatever its data says.
    static constexpr int64_t kMaxRecords = 3 * 3600 * 1000 / kRecordStepMs;

    TelemetryExtractor();
    ~TelemetryExtractor();
    TelemetryExtractor(const TelemetryExtractor&) = delete;
    TelemetryExtractor& operator=(const TelemetryExtractor&) = delete;

    // Configuration; takes effect at the next start.
    void setTarget(platform::MessageTarget* target);
    void setStore(TrackStore* store);
    void setConversion(TrackMapConversion conversion);
    void setDisplayZone(const DisplayZone& zone);
    void setOtherTrackHook(OtherTrackHook hook);

    // Stops the run before and starts one on the file, bound to the store's
    // current generation (clear the store first). False when the worker
    // cannot start (the clip then goes to nobody).
    // A clip without any track of its own takes its partner's (the other
    // camera of the moment, same clock), when `partner` names one.
    bool start(const std::string& path, const std::string& partner = {});
    void stop();

    // The current run's number, 0 when none.
    uint64_t run() const { return run_.load(); }
    // The current clip's data is this extractor's (known once the worker has probed it).
    bool ownsClip() const { return owns_.load(); }
    // Of the current clip; None until probed.
    TelemetryFormat format() const { return format_.load(); }

    // The moment at clipMs as a record; false when the clip is not this
    // extractor's or there is no data at that moment. Any thread.
    bool recordAt(int64_t clipMs, TrackRecord& record) const;
    // See above; false (nothing posted) when the clip is not this extractor's.
    bool followPosition(int64_t clipMs, uintptr_t tag);
    TrackRecord liveRecord() const;

private:
    struct Run;
    using Samples = std::vector<TelemetrySample>;

    void work(Run& run);
    // Pages of the run's records, each added and published under the run's
    // lock, so nothing lands once the run was stopped.
    void fillStore(Run& run, const Samples& samples);
    void post(Run& run, uintptr_t code);
    // Joins the stopped workers that have finished (all: every one).
    void reapFinished(bool all);

    std::atomic<platform::MessageTarget*> target_{nullptr};  // each run keeps a copy
    TrackStore* store_ = nullptr;                            // the rest of the set-up: owner's thread
    TrackMapConversion conversion_ = TrackMapConversion::Copy;
    DisplayZone zone_;
    OtherTrackHook otherTrack_;

    std::unique_ptr<Run> current_;               // owner's thread
    std::vector<std::unique_ptr<Run>> retired_;  // owner's thread: stopped, maybe still running
    uint64_t runs_ = 0;
    std::atomic<uint64_t> run_{0};
    std::atomic<bool> owns_{false};
    std::atomic<TelemetryFormat> format_{TelemetryFormat::None};

    mutable std::mutex liveMutex_;
    std::shared_ptr<const Samples> samples_;  // under liveMutex_: the current clip's, once owned
    DisplayZone liveZone_;                    // under liveMutex_
    TrackRecord live_;                        // under liveMutex_
};
