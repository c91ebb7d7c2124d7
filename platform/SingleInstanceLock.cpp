#include "platform/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform {

SingleInstanceLock::SingleInstanceLock(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        error_ = ENOENT;
        return;
    }
    path_ = folder + name;
    // O_NONBLOCK: a FIFO in its place must not wait for a writer.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        error_ = errno;
        return;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = EINVAL;
        ::close(fd);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno == EWOULDBLOCK ? EWOULDBLOCK : errno;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace platform
