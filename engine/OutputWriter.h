#pragma once
// Writes the engine's output lines to standard output (and warnings to
// standard error) on a thread of its own, so that a reader that is slow or
// stalled never holds up the engine's event handling.
//
// The queue is bounded. Periodic lines (positions, diagnostics) are dropped
// once kDroppableLimit lines wait: they are out of date by the time a stalled
// reader gets to them. Answers and events are kept up to kHardLimit lines.
// Each write is at most PIPE_BUF bytes and only follows poll() reporting room,
// so the writer itself never sleeps inside write() on a pipe and can always
// be stopped through its wake-up descriptor.
//
// Threads: post() and postError() from any thread, never blocking. The writer
// thread starts in the constructor; finish() (or the destructor) stops it
// after the queue is written or the time limit has passed.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace engine {

class OutputWriter {
public:
    static constexpr size_t kDroppableLimit = 64;
    static constexpr size_t kHardLimit = 1024;

    OutputWriter(int outFd, int errFd);
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // A line for standard output; the line feed is added.
    void post(std::string line) { enqueue(outFd_, std::move(line), false); }
    // A line for standard output that may be dropped while the reader lags.
    void postPeriodic(std::string line) { enqueue(outFd_, std::move(line), true); }
    // A warning for standard error; may be dropped while the reader lags.
    void postError(std::string line) { enqueue(errFd_, std::move(line), true); }
    // The last line (the exit line): kept even when the queue is full.
    void postFinal(std::string line) { enqueue(outFd_, std::move(line), false, true); }

    // Writes what is queued, waiting at most `limit`, then stops the thread.
    // True when the queue was emptied in time (lines for a reader that is
    // gone count as done). Later posts are ignored.
    bool finish(std::chrono::milliseconds limit);

    size_t droppedLines() const { return dropped_.load(); }

private:
    struct Item {
        int fd;
        std::string text;  // with its line feed
    };

    void enqueue(int fd, std::string line, bool droppable, bool final = false);
    void run();
    // false when the descriptor failed or the writer was told to give up.
    bool writeAll(int fd, std::string_view text);

    const int outFd_;
    const int errFd_;
    int wakeFd_ = -1;  // eventfd: breaks a poll() when finish() gives up

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Item> queue_;
    bool writing_ = false;  // the writer holds a batch outside the queue
    bool closing_ = false;
    bool outDead_ = false;
    bool errDead_ = false;
    std::atomic<bool> abandon_{false};
    std::atomic<size_t> dropped_{0};
    std::thread thread_;
};

}  // namespace engine
