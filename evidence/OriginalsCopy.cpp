#include "evidence/OriginalsCopy.h"

#include "platform/FileSystem.h"
#include "platform/Sha256.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

namespace {

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The SHA-256 of the first `size` bytes of an open file, read in large
// blocks (never mapped: a file cut short meanwhile must not kill the process).
bool hashOf(int fd, off_t size, std::string& hex, const std::atomic<bool>* stop) {
    const std::unique_ptr<char[]> block(new char[OriginalsCopy::kBlockBytes]);
    Sha256 sum;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    off_t at = 0;
    for (ssize_t n; at < size; at += n) {
        if (stop != nullptr && stop->load()) return false;
        n = ::pread(fd, block.get(), OriginalsCopy::kBlockBytes, at);
        if (n < 0 && errno == EINTR) {
            n = 0;
            continue;
        }
        if (n <= 0) return false;
        sum.update(block.get(), static_cast<size_t>(n));
    }
    hex = sum.hex();
    return true;
}

// The bytes copied by the kernel, without passing through this process;
// false where it cannot (another file system, an old kernel): then by hand.
bool copyInKernel(int from, int to, off_t size, off_t& done, const std::atomic<bool>* stop) {
    constexpr off_t kChunk = 64 << 20;  // a stop is seen between chunks
    done = 0;
    while (done < size) {
        if (stop != nullptr && stop->load()) return false;
        const ssize_t n =
            ::copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(std::min(kChunk, size - done)), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

bool OriginalsCopy::copy(const std::string& source, int to, const std::string& shown, Result& result,
                         std::string& reason, const std::atomic<bool>* stop) {
    const std::string name = platform::fileName(source);
    const Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0 || ::fstat(in.get(), &result.source) != 0 || !S_ISREG(result.source.st_mode)) {
        reason = name + ": cannot be read for its copy (" +
                 (in.get() < 0 ? std::strerror(errno) : std::string("not a regular file")) + ")";
        return false;
    }
    const std::unique_ptr<char[]> block(new char[kBlockBytes]);
    const auto cannotWrite = [&] {
        reason = "cannot write " + shown +
                 (errno == ENOSPC || errno == EDQUOT ? " (the disk is full)"
                                                     : " (" + std::string(std::strerror(errno)) + ")");
        return false;
    };
    off_t total = 0;
    if (!copyInKernel(in.get(), to, result.source.st_size, total, stop)) {
        if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG || errno == EIO) return cannotWrite();
        // By hand from where the kernel stopped.
        for (;;) {
            if (stop != nullptr && stop->load()) {
                reason = "cancelled";
                return false;
            }
            const ssize_t n = ::pread(in.get(), block.get(), kBlockBytes, total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                reason = name + ": cannot be read for its copy (" + std::strerror(errno) + ")";
                return false;
            }
            if (n == 0) break;
            if (!writeAll(to, block.get(), static_cast<size_t>(n))) return cannotWrite();
            total += n;
        }
    }
    if (stop != nullptr && stop->load()) {
        reason = "cancelled";
        return false;
    }
    // The source's bytes as they are now, and the copy's as the folder holds
    // them: a source that changed meanwhile, or a copy the disk did not keep,
    // differs.
    // Both at once: the second core hashes the source while this one reads back.
    std::string back;
    bool sourceRead = false;
    std::thread sourceHash([&] { sourceRead = hashOf(in.get(), total, result.sha256, stop); });
    struct stat copied;
    const bool copyRead = ::fstat(to, &copied) == 0 && copied.st_size == total && hashOf(to, total, back, stop);
    sourceHash.join();
    if (stop != nullptr && stop->load()) {
        reason = "cancelled";
        return false;
    }
    if (!sourceRead) {
        reason = name + ": cannot be read for its checksum";
        return false;
    }
    if (!copyRead) {
        reason = "cannot read back " + shown;
        return false;
    }
    if (back != result.sha256 || total != result.source.st_size) {
        reason = shown + ": the copy read back differs from its source " + name;
        return false;
    }
    const timespec times[2] = {result.source.st_atim, result.source.st_mtim};
    if (::futimens(to, times) != 0) {
        reason = "cannot set the time of " + shown + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}
