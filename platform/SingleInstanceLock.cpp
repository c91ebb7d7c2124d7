#include "platform/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

SingleInstanceLock::SingleInstanceLock(const std::string& folder, const std::string& name) {
    if (folder.empty()) return;
    const std::string path = folder + name;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace platform
