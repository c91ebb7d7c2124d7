#include "evidence/OriginalsCopy.h"

#include "platform/FileSystem.h"
#include "platform/Sha256.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <memory>

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
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::unique_ptr<char[]> block(new char[kBlockBytes]);
    Sha256 read;
    off_t total = 0;
    for (;;) {
        if (stop != nullptr && stop->load()) {
            reason = "cancelled";
            return false;
        }
        const ssize_t n = ::read(in.get(), block.get(), kBlockBytes);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = name + ": cannot be read for its copy (" + std::strerror(errno) + ")";
            return false;
        }
        if (n == 0) break;
        read.update(block.get(), static_cast<size_t>(n));
        if (!writeAll(to, block.get(), static_cast<size_t>(n))) {
            reason = "cannot write " + shown + (errno == ENOSPC || errno == EDQUOT ? " (the disk is full)" : " (" + std::string(std::strerror(errno)) + ")");
            return false;
        }
        total += n;
    }
    result.sha256 = read.hex();
    const timespec times[2] = {result.source.st_atim, result.source.st_mtim};
    if (::futimens(to, times) != 0) {
        reason = "cannot set the time of " + shown + " (" + std::strerror(errno) + ")";
        return false;
    }
    // Read back through the descriptor written: what the folder holds, not what was meant.
    Sha256 back;
    off_t at = 0;
    for (ssize_t n; (n = ::pread(to, block.get(), kBlockBytes, at)) != 0; at += n) {
        if (n < 0 && errno == EINTR) {
            n = 0;
            continue;
        }
        if (n < 0) {
            reason = "cannot read back " + shown + " (" + std::strerror(errno) + ")";
            return false;
        }
        back.update(block.get(), static_cast<size_t>(n));
    }
    if (at != total || back.hex() != result.sha256) {
        reason = shown + ": the copy read back differs from its source " + name;
        return false;
    }
    return true;
}
