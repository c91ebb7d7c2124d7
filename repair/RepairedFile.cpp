#include "repair/RepairedFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kPiece = 8 << 20;

bool writeAll(int fd, const char* data, size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

// Copies length bytes from `from` in `in` to the end of `out`: in the kernel
// where it can, else through a buffer.
bool copyRange(int in, uint64_t from, int out, uint64_t length, const std::atomic<bool>* stop) {
    off_t at = static_cast<off_t>(from);
    bool kernel = true;
    std::vector<char> buffer;
    while (length > 0) {
        if (stop != nullptr && stop->load()) return false;
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(length, kPiece));
        ssize_t done = -1;
        if (kernel) {
            done = ::copy_file_range(in, &at, out, nullptr, piece, 0);
            if (done < 0 && errno == EINTR) continue;
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                kernel = false;
                continue;
            }
        } else {
            buffer.resize(kPiece);
            done = ::pread(in, buffer.data(), piece, at);
            if (done < 0 && errno == EINTR) continue;
            if (done > 0 && !writeAll(out, buffer.data(), static_cast<size_t>(done))) return false;
            if (done > 0) at += done;
        }
        if (done <= 0) return false;  // an error, or the clip shrank meanwhile
        length -= static_cast<uint64_t>(done);
    }
    return true;
}

}  // namespace

RepairedFile::~RepairedFile() {
    endWorker(kAbandon);
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) {
        ::close(out_);
        ::unlink(temporary_.c_str());
    }
}

bool RepairedFile::start(const std::string& destination, const std::string& head, const std::string& source,
                         uint64_t from, std::string& reason) {
    destination_ = destination;
    temporary_ = platform::parentFolder(destination) + ".veltara-repair.XXXXXX";
    out_ = ::mkstemp(temporary_.data());
    if (out_ < 0) {
        reason = std::string("the copy cannot be written there: ") + std::strerror(errno);
        return false;
    }
    in_ = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in_ < 0 || !writeAll(out_, head.data(), head.size())) return fail(reason, errno);
    headSize_ = head.size();
    from_ = from;
    reached_.store(from);
    worker_ = std::thread([this] { copyBehind(); });
    return true;
}

void RepairedFile::copyBehind() {
    uint64_t at = from_;
    for (;;) {
        const uint64_t reached = reached_.load();
        if (reached == kAbandon) return;
        const uint64_t end = reached & ~kLast;
        if (at < end) {
            // Pieces, so a stop or a raised end is seen soon.
            const uint64_t piece = std::min<uint64_t>(end - at, kPiece);
            errno = 0;  // a source that shrank fails without one
            if (!copyRange(in_, at, out_, piece, stop_)) {
                copyFailed_ = true;
                copyError_ = errno;
                return;
            }
            at += piece;
            copied_ = at - from_;
            continue;
        }
        if ((reached & kLast) != 0) return;
        reached_.wait(reached);
    }
}

void RepairedFile::endWorker(uint64_t last) {
    if (!worker_.joinable()) return;
    reached_.store(last);
    reached_.notify_all();
    worker_.join();
}

bool RepairedFile::fail(std::string& reason, int error) {
    endWorker(kAbandon);
    if (out_ >= 0) {
        ::close(out_);
        out_ = -1;
        ::unlink(temporary_.c_str());
    }
    reason = stopped() ? "cancelled" : std::string("the copy cannot be written: ") + std::strerror(error != 0 ? error : EIO);
    return false;
}

bool RepairedFile::finish(uint64_t length, const std::string& head, const Tail& tail, std::string& reason) {
    if (out_ < 0 || head.size() != headSize_ || length > kLast - 1 - from_) return fail(reason, EINVAL);
    endWorker((from_ + length) | kLast);
    if (copyFailed_ || copied_ != length) return fail(reason, copyFailed_ ? copyError_ : EIO);
    std::string index, why;
    if (!tail(index, why)) {
        fail(reason, 0);
        reason = why;
        return false;
    }
    const ssize_t wrote = ::pwrite(out_, head.data(), head.size(), 0);
    if (wrote != static_cast<ssize_t>(head.size()) || !writeAll(out_, index.data(), index.size()))
        return fail(reason, wrote < 0 || wrote == static_cast<ssize_t>(head.size()) ? errno : ENOSPC);
    // No fsync: a full disk shows in write() and close(), and a copy lost to
    // a power cut leaves the original, so the repair costs about a copy.
    if (::fchmod(out_, 0644) != 0) return fail(reason, errno);
    const int out = out_;
    out_ = -1;  // closed, whatever close() says
    const bool closed = ::close(out) == 0;
    const int error = errno;
    if (closed && !stopped() && ::rename(temporary_.c_str(), destination_.c_str()) == 0) return true;
    const int renameError = errno;
    ::unlink(temporary_.c_str());
    reason = stopped() ? "cancelled"
                       : std::string("the copy cannot be written: ") + std::strerror(closed ? renameError : error);
    return false;
}
