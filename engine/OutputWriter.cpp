#include "engine/OutputWriter.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>

namespace engine {

OutputWriter::OutputWriter(int outFd, int errFd) : outFd_(outFd), errFd_(errFd) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
    pthread_setname_np(thread_.native_handle(), "engine-output");
}

OutputWriter::~OutputWriter() {
    finish(std::chrono::milliseconds(0));
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void OutputWriter::enqueue(int fd, std::string line, bool droppable, bool final) {
    line.push_back('\n');
    {
        std::lock_guard lock(mutex_);
        const size_t limit = droppable ? kDroppableLimit : kHardLimit;
        if (closing_ || (queue_.size() >= limit && !final)) {
            dropped_.fetch_add(1);
            return;
        }
        queue_.push_back({fd, std::move(line)});
    }
    wake_.notify_one();
}

bool OutputWriter::finish(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return false;
    bool drained;
    {
        std::unique_lock lock(mutex_);
        closing_ = true;
        wake_.notify_one();
        drained = idle_.wait_for(lock, limit, [this] { return queue_.empty() && !writing_; });
    }
    if (!drained) {
        abandon_.store(true);
        const uint64_t one = 1;
        if (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) < 0) {
            // The writer still notices abandon_ at its next poll.
        }
        wake_.notify_one();
    }
    thread_.join();
    return drained;
}

void OutputWriter::run() {
    // A reader that went away shows here as EPIPE, never as a signal.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    for (;;) {
        int fd;
        std::string batch;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !queue_.empty() || closing_; });
            if (abandon_.load() || queue_.empty()) {
                writing_ = false;
                idle_.notify_all();
                if (closing_) return;
                continue;
            }
            // One write for as many queued lines of one stream as fit.
            fd = queue_.front().fd;
            while (!queue_.empty() && queue_.front().fd == fd &&
                   (batch.empty() || batch.size() + queue_.front().text.size() <= PIPE_BUF)) {
                batch += queue_.front().text;
                queue_.pop_front();
            }
            writing_ = true;
            if ((fd == outFd_ && outDead_) || (fd == errFd_ && errDead_)) batch.clear();
        }
        const bool ok = batch.empty() || writeAll(fd, batch);
        std::lock_guard lock(mutex_);
        if (!ok && !abandon_.load()) {
            // The reader is gone: the rest for this stream has nowhere to go.
            if (fd == outFd_) outDead_ = true;
            if (fd == errFd_) errDead_ = true;
        }
        writing_ = false;
        if (queue_.empty()) idle_.notify_all();
    }
}

bool OutputWriter::writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, wakeFd_ >= 0 ? 2 : 1, -1);
        if (abandon_.load()) return false;
        if (ready < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[0].revents & (POLLERR | POLLNVAL)) return false;
        if (!(fds[0].revents & (POLLOUT | POLLHUP))) continue;
        // At most PIPE_BUF bytes: a pipe with room takes them without blocking.
        const size_t chunk = text.size() < PIPE_BUF ? text.size() : PIPE_BUF;
        const ssize_t n = ::write(fd, text.data(), chunk);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;  // EPIPE (SIGPIPE is ignored by the engine), EBADF, ...
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace engine
