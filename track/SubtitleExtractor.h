#pragma once
// Gets the camera's track out of a clip: starts the converter (FFmpeg), which
// writes the clip's subtitle stream as SRT text into a SEQPACKET socket that
// the extractor serves, one message per cue. The pipe thread reads the
// messages into 64 text slots of 127 bytes and hands each full batch to the
// TrackBatchProcessor, which fills the TrackStore and announces the page.
// Each run has a socket of its own, "DVRFFMpegPipe.<pid>.<serial>" in the
// private runtime folder, and accepts only its own converter's connection,
// so no other run or process can take it over.
//
// Posts (wParam = code, lParam = 0) besides the batch processing's:
// TRACK_FIRST_BATCH_DONE at the end of a run that filled no slot, and
// TRACK_COMMAND_FAILED when stop could not send "q" (the run is reset then).
//
// Sampling: Player keeps the 1st, 11th, 21st, ... message of a run and ends
// the track with the last message read once more (what the player's map and
// chart are drawn from); All keeps every message once.
//
// Threads: the owner's thread (the UI thread in the player, main in the
// tool) configures, starts, stops and destroys. Each run has two threads of
// its own: the pipe thread (accept, reader loop, batch processing, posting)
// and the console watcher (drains the converter's console). They touch only
// their own run's converter, pipes and socket.
// Lifecycle: start() begins a run; the run ends by itself at the end of the
// stream, or when the converter exits without connecting (state back to
// EXTRACT_IDLE), or by stop(). stop() always ends both threads and the
// converter (500 ms grace after "q", then SIGKILL; always reaped), so a new
// run can start right after it. A run that ends by itself reaps its
// converter on the pipe thread, so no zombie waits for the next run. start() also releases what a run that ended
// by itself left behind, and so does stop() when idle. The destructor stops.
#include "platform/MessageTarget.h"
#include "track/TrackBatchProcessor.h"
#include "track/TrackMapConversion.h"
#include "track/TrackSampling.h"
#include "track/TrackStore.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

constexpr int32_t EXTRACT_IDLE = 0;
constexpr int32_t EXTRACT_STOPPING = 1;
constexpr int32_t EXTRACT_LAUNCHING = 2;
constexpr int32_t EXTRACT_RUNNING = 3;

class SubtitleExtractor {
public:
    static constexpr uint32_t kDefaultMessage = platform::WM_USER + 65;
    static constexpr const char* STANDARD_EXTRA_ARGUMENTS = "-y -vn -an -scodec srt -f srt -type seqpacket";
    static constexpr size_t kExtraArgumentsLimit = 511;
    static constexpr int kKeepEvery = kPlayerSamplingKeepEvery;
    static constexpr const char* SOCKET_PREFIX = "DVRFFMpegPipe";

    // "<program folder>FFMpeg/ffmpeg".
    static std::string standardConverterPath();

    // What a finished run saw; for diagnostics (the tool's messages).
    struct RunReport {
        int socketError = 0;          // errno when the socket could not be set up
        bool connected = false;       // the converter connected
        bool readFailed = false;      // a read failed (a message over 1024 bytes)
        uint64_t messages = 0;        // messages read
        bool sawInput = false;        // the converter opened the input as media
        bool sawVideo = false;        // the input has a video stream
        bool sawAnySubtitle = false;  // the input has a subtitle stream
        std::string lastConsoleLine;
    };

    SubtitleExtractor();
    ~SubtitleExtractor();
    SubtitleExtractor(const SubtitleExtractor&) = delete;
    SubtitleExtractor& operator=(const SubtitleExtractor&) = delete;

    // Configuration; takes effect at the next start.
    void setConverterPath(std::string_view path);
    // A null text is ignored; at most kExtraArgumentsLimit bytes are kept.
    void setExtraArguments(const char* arguments);
    void setInputPath(std::string_view path);
    void setSampling(TrackSampling sampling);
    // Posts go to target (null: none) with this message number; the batch
    // processing posts through the same target.
    void setTarget(platform::MessageTarget* target, uint32_t message = platform::WM_TRACK_EVENT);
    void setStore(TrackStore* store);
    void setConversion(TrackMapConversion conversion);

    int32_t getState() const { return state_.load(); }
    bool isStopPending() const { return stopPending_.load(); }
    bool sawSubtitleStream() const { return sawSubtitleStream_.load(); }
    bool sawCameraMarker() const { return sawCameraMarker_.load(); }
    // Grows while a run makes headway (the converter connected, a message
    // came): a caller can tell a stalled run from a long one.
    uint64_t progress() const { return progress_.load(std::memory_order_relaxed); }

    // 0 on success, 1 when a thread could not start, else the errno of the
    // failed converter start (the state is then EXTRACT_IDLE again).
    int start();
    // Ends the current run; returns 0. In EXTRACT_IDLE only releases what a
    // finished run left; stopPending and the posts are untouched then.
    int stop();
    // Waits until the state is EXTRACT_IDLE; false on time-out.
    bool waitUntilIdle(std::chrono::milliseconds limit) const;

    // The command line of the next (or current) run, as text and as argv.
    std::string commandLine() const;
    std::vector<std::string> commandArguments() const;
    // The socket path of the current run; empty when there is none.
    std::string socketPath() const;
    // Of the last run; complete once the run was released (stop, start).
    RunReport report() const;

private:
    struct Run;
    using Slots = std::array<TrackTextSlot, kTrackBatchSlots>;

    void pipeThread(Run& run);
    bool waitForClient(Run& run);
    void readerLoop(Run& run);
    void watcherThread(Run& run);
    // Ends the run's threads, reaps the converter, closes everything and
    // sets EXTRACT_IDLE; what stop does after its wait, and what start does
    // with a run that ended by itself.
    void reset();
    void setIdle();
    void post(uintptr_t code) const;
    bool stopping(const Run& run) const;

    std::string converterPath_;
    std::string inputPath_;
    std::string extraArguments_;
    TrackSampling sampling_ = TrackSampling::Player;
    std::unique_ptr<Run> run_;  // owner's thread only

    std::atomic<platform::MessageTarget*> target_{nullptr};
    std::atomic<uint32_t> message_{kDefaultMessage};
    std::atomic<bool> pipeThreadRunning_{false};
    std::atomic<int32_t> state_{EXTRACT_IDLE};
    std::atomic<bool> stopPending_{false};
    std::atomic<bool> sawSubtitleStream_{false};
    std::atomic<bool> sawCameraMarker_{false};
    std::atomic<uint64_t> progress_{0};

    mutable std::mutex reportMutex_;
    RunReport report_;                           // under reportMutex_
    std::string commandLine_;                    // under reportMutex_
    std::vector<std::string> commandArguments_;  // under reportMutex_
    mutable std::mutex idleMutex_;
    mutable std::condition_variable idle_;

    std::unique_ptr<Slots> slots_;  // the pipe thread's; allocated once
    TrackBatchProcessor processor_;
};
