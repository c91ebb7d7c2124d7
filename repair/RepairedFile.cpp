#include "repair/RepairedFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace repairedFile {

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

bool write(const std::string& destination, const std::string& head, const std::string& source, uint64_t from,
           uint64_t length, const Tail& tail, const std::atomic<bool>* stop, std::string& reason) {
    std::string temporary = platform::parentFolder(destination) + ".veltara-repair.XXXXXX";
    const int out = ::mkstemp(temporary.data());
    if (out < 0) {
        reason = std::string("the copy cannot be written there: ") + std::strerror(errno);
        return false;
    }
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    bool ok = in >= 0 && writeAll(out, head.data(), head.size()) && copyRange(in, from, out, length, stop);
    int error = ok ? 0 : errno;
    if (in >= 0) ::close(in);
    std::string index, why;
    if (ok && !tail(index, why)) {
        ::close(out);
        ::unlink(temporary.c_str());
        reason = why;
        return false;
    }
    if (ok && !writeAll(out, index.data(), index.size())) {
        ok = false;
        error = errno;
    }
    // No fsync: a full disk shows in write() and close(), and a copy lost to
    // a power cut leaves the original, so the repair costs about a copy.
    ok = ok && ::fchmod(out, 0644) == 0;
    ok = ::close(out) == 0 && ok;
    if (ok && !(stop != nullptr && stop->load()) && ::rename(temporary.c_str(), destination.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    reason = stop != nullptr && stop->load() ? "cancelled"
                                             : std::string("the copy cannot be written: ") + std::strerror(error != 0 ? error : EIO);
    return false;
}

}  // namespace repairedFile
