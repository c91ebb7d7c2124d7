#pragma once
// Writes a repaired copy: a head (ftyp and the media data's header), a
// stretch of the cut clip copied as it is, and the new index. The stretch is
// copied while its length is still unknown: start() writes a provisional head
// and starts a worker that copies (in the kernel where it can) up to what the
// walk has taken so far (reached(), raised by the walk as it goes), so the
// copy runs beside the walk instead of after it. finish() is told the
// length; it waits for the rest of the copy, writes the head again with the
// sizes now known and appends the index, which it asks for last, so what the
// index waits for (the checksums of the provenance) is taken meanwhile.
// Everything goes to a temporary file in the destination folder that is
// renamed into place only when every write and the close succeeded, so a
// read-only folder, a full disk, a stop, an error or an object dropped
// without finish() leaves nothing behind.
//
// Threads: made, started and finished on one thread, which (through the
// walk) also raises reached(); the stop flag may be set from any thread (the
// copy checks it between pieces). The worker starts in start() and is joined
// in finish() or, on every other way out, in the destructor.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class RepairedFile {
public:
    // tail: fills in the index, or says why there is none (nothing is written then).
    using Tail = std::function<bool(std::string& tail, std::string& reason)>;

    explicit RepairedFile(const std::atomic<bool>* stop) : stop_(stop) {}
    ~RepairedFile();
    RepairedFile(const RepairedFile&) = delete;
    RepairedFile& operator=(const RepairedFile&) = delete;

    // Creates the temporary file beside destination, writes head and starts
    // copying source from `from` on.
    bool start(const std::string& destination, const std::string& head, const std::string& source, uint64_t from,
               std::string& reason);
    // The end (an offset in the source) of what the copy may take so far.
    // Raise it with a store and notify_all(); it never goes down.
    std::atomic<uint64_t>& reached() { return reached_; }
    // The stretch is `length` bytes; head replaces the provisional one (the
    // same size). False with reason, and nothing left behind, on any failure.
    bool finish(uint64_t length, const std::string& head, const Tail& tail, std::string& reason);

private:
    static constexpr uint64_t kLast = uint64_t{1} << 63;  // in reached_: the end is final
    static constexpr uint64_t kAbandon = ~uint64_t{0};     // in reached_: stop copying

    void copyBehind();
    void endWorker(uint64_t last);
    bool fail(std::string& reason, int error);
    bool stopped() const { return stop_ != nullptr && stop_->load(); }

    const std::atomic<bool>* stop_;
    std::string destination_, temporary_;
    size_t headSize_ = 0;
    uint64_t from_ = 0;
    int in_ = -1, out_ = -1;
    std::atomic<uint64_t> reached_{0};
    // The worker's own until it is joined.
    uint64_t copied_ = 0;
    bool copyFailed_ = false;
    int copyError_ = 0;
    std::thread worker_;
};
