#pragma once
// Small helpers on pipe and socket descriptors, the POSIX stand-ins for
// peeking at and waiting on a pipe.
#include <chrono>
#include <string_view>

namespace platform {

// Bytes ready to read without blocking (FIONREAD); -1 on error.
int bytesAvailable(int fd);
// Waits until the descriptor is readable or hung up; false on time-out.
bool waitReadable(int fd, std::chrono::milliseconds limit);
// Writes everything, retrying on EINTR and short writes; a closed reader
// gives false instead of SIGPIPE.
bool writeAllNoSigpipe(int fd, std::string_view text);

}  // namespace platform
