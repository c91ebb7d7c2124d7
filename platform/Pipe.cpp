#include "platform/Pipe.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

int bytesAvailable(int fd) {
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) != 0) return -1;
    return n;
}

bool waitReadable(int fd, std::chrono::milliseconds limit) {
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, static_cast<int>(limit.count()));
    } while (r < 0 && errno == EINTR);
    return r > 0;
}

bool writeAllNoSigpipe(int fd, std::string_view text) {
    // Block SIGPIPE in this thread for the write and swallow one that the
    // write raised, so a dead reader gives EPIPE and nothing else.
    sigset_t pipeSet, old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);

    bool ok = true;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (!ok && errno == EPIPE && !alreadyPending) {
        const timespec zero{0, 0};
        while (sigtimedwait(&pipeSet, nullptr, &zero) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

}  // namespace platform
