#include "evidence/FolderFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

bool readOpen(int file, const std::string& shown, std::string& bytes, std::string& reason, size_t limit) {
    struct stat info;
    if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = shown + " is not a regular file";
        return false;
    }
    if (static_cast<size_t>(info.st_size) > limit) {
        reason = shown + " is too large";
        return false;
    }
    bytes.clear();
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(file, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = "cannot read " + shown + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        bytes.append(block, static_cast<size_t>(n));
        if (bytes.size() > limit) {
            reason = shown + " is too large";
            return false;
        }
    }
}

}  // namespace

namespace FolderFile {

bool readAt(int folderFd, const std::string& name, std::string& bytes, std::string& reason, bool* missing,
            size_t limit) {
    const int file = ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (missing != nullptr) *missing = file < 0 && errno == ENOENT;
    if (file < 0) {
        reason = "cannot open " + name + ": " + std::strerror(errno);
        return false;
    }
    const bool read = readOpen(file, name, bytes, reason, limit);
    ::close(file);
    return read;
}

bool readPath(const std::string& path, std::string& bytes, std::string& reason, size_t limit) {
    // O_NONBLOCK: a FIFO given as a key file does not hang the open.
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) {
        reason = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool read = readOpen(file, path, bytes, reason, limit);
    ::close(file);
    return read;
}

bool createAt(int folderFd, const std::string& name, std::string_view bytes, std::string& reason) {
    const int file = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        reason = "cannot make " + name + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(file, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool closed = ::close(file) == 0;
    if (done != bytes.size() || !closed) {
        ::unlinkat(folderFd, name.c_str(), 0);
        reason = "cannot write " + name + " (is the disk full?)";
        return false;
    }
    return true;
}

}  // namespace FolderFile
