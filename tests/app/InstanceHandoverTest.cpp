// The hand-over socket under a same-user peer that floods it: idle
// connections by the thousand and unfinished large messages leave the socket
// there, and the next start's files still reach the window.
#include "app/InstanceHandover.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using testing_support::TempFolder;

namespace {

// Connects `count` times and keeps every connection open; the first `big`
// ones send most of a largest message, never its end.
[[noreturn]] void flood(const std::string& socketPath, int count, int big, int ready, const rlimit& descriptors) {
    ::setrlimit(RLIMIT_NOFILE, &descriptors);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const std::string chunk(InstanceHandover::kMaxMessage - 1, '/');
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const timeval limit{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && i < big)
            (void)::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
    }
    (void)::write(ready, "x", 1);
    ::pause();
    ::_exit(0);
}

bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace

TEST(InstanceHandover, AFloodOfIdleConnectionsLeavesTheSocketToTheNextStart) {
    TempFolder runtime;
    // Fewer descriptors than the peer opens connections: running out of
    // descriptors is what used to close the socket.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = std::min<rlim_t>(512, saved.rlim_max);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    QStringList received;
    InstanceHandover handover(runtime.path(), [&](const QStringList& paths) { received = paths; });
    ASSERT_TRUE(handover.Listen());
    const std::string socketPath = runtime.path() + InstanceHandover::kSocketName;

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t peer = ::fork();
    if (peer == 0) flood(socketPath, 1000, 20, ready[1], saved);
    ::close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    EXPECT_TRUE(spinUntil([&] { return ::poll(&wait, 1, 0) > 0; }, 60000));

    std::atomic<int> sent{-1};
    std::thread second([&] { sent = InstanceHandover::Send(runtime.path(), {"/clips/next.mp4"}, 5000) ? 1 : 0; });
    spinUntil([&] { return sent.load() >= 0; }, 10000);
    second.join();
    EXPECT_EQ(sent.load(), 1);
    EXPECT_EQ(received, QStringList{"/clips/next.mp4"});
    EXPECT_EQ(::access(socketPath.c_str(), F_OK), 0);

    ::kill(peer, SIGKILL);
    ::waitpid(peer, nullptr, 0);
    ::close(ready[0]);
    ::setrlimit(RLIMIT_NOFILE, &saved);
}
