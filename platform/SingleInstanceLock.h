#pragma once
// The single-instance guard: an exclusive flock on a named file in the
// private runtime folder, held for the life of the object (normally the
// process). A second holder of the same name is refused.
//
// Threads: create and destroy on one thread.
#include <string>

namespace platform {

class SingleInstanceLock {
public:
    // folder: where the lock file lives (ending in "/"); name: its name.
    SingleInstanceLock(const std::string& folder, const std::string& name);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this object holds the lock.
    bool acquired() const { return fd_ >= 0; }
    // Why it is not held: EWOULDBLOCK while another holder has it; for a
    // lock path that is a link, folder, socket or other non-file (ELOOP,
    // EISDIR, ENXIO, EINVAL) or cannot be opened, that errno; 0 when held.
    int error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

}  // namespace platform
