#include "platform/ChildProcess.h"
#include "platform/Pipe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::ChildProcess;
using namespace std::chrono_literals;

namespace {

std::string readAll(int fd) {
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    return out;
}

}  // namespace

TEST(ChildProcess, ArgumentsTravelWholeAndOutputComesBack) {
    ChildProcess child;
    const std::string odd = "a b \"c\" 'd' $HOME ünï";
    ASSERT_EQ(child.start({"/usr/bin/printf", "%s|%s", odd, "x"}), 0);
    child.closeStdin();
    EXPECT_EQ(readAll(child.stdoutFd()), odd + "|x");
    EXPECT_EQ(child.waitFor(5s), 0);
}

TEST(ChildProcess, StdinReachesChildAndStderrIsSeparateOrMerged) {
    {
        ChildProcess child;
        ASSERT_EQ(child.start({"/bin/sh", "-c", "cat; echo err >&2"}), 0);
        EXPECT_TRUE(child.writeStdin("hello\n"));
        child.closeStdin();
        EXPECT_EQ(readAll(child.stdoutFd()), "hello\n");
        EXPECT_EQ(readAll(child.stderrFd()), "err\n");
        EXPECT_EQ(child.waitFor(5s), 0);
    }
    {
        ChildProcess child;
        ChildProcess::Options options;
        options.mergeStderrIntoStdout = true;
        ASSERT_EQ(child.start({"/bin/sh", "-c", "echo out; echo err >&2"}, options), 0);
        EXPECT_EQ(child.stderrFd(), -1);
        EXPECT_EQ(readAll(child.stdoutFd()), "out\nerr\n");
    }
}

TEST(ChildProcess, WorkingDirectoryAndExitCodes) {
    testing_support::TempFolder folder;
    ChildProcess child;
    ChildProcess::Options options;
    options.workingDirectory = folder.path();
    ASSERT_EQ(child.start({"/bin/sh", "-c", "pwd; exit 7"}, options), 0);
    EXPECT_EQ(readAll(child.stdoutFd()), folder.path().substr(0, folder.path().size() - 1) + "\n");
    EXPECT_EQ(child.waitFor(5s), 7);
    EXPECT_EQ(child.waitFor(0ms), 7);  // reaped once, answered again
    EXPECT_FALSE(child.running());
}

TEST(ChildProcess, MissingProgramGivesErrnoAndNoProcess) {
    ChildProcess child;
    EXPECT_EQ(child.start({"/nonexistent/program"}), ENOENT);
    EXPECT_FALSE(child.started());
    EXPECT_EQ(child.waitFor(10ms), std::nullopt);
}

TEST(ChildProcess, TimeLimitKillAndNoZombie) {
    pid_t pid;
    {
        ChildProcess child;
        ASSERT_EQ(child.start({"/bin/sleep", "30"}), 0);
        pid = child.pid();
        EXPECT_EQ(child.waitFor(50ms), std::nullopt);
        EXPECT_TRUE(child.running());
        EXPECT_EQ(child.terminate(50ms), 128 + SIGKILL);
        EXPECT_FALSE(child.running());
    }
    // Reaped: the pid is no child of ours any more.
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    {
        ChildProcess child;
        ASSERT_EQ(child.start({"/bin/sleep", "30"}), 0);
        pid = child.pid();
    }  // the destructor kills and reaps
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
}

TEST(ChildProcess, WritingToAChildThatClosedItsInputFailsWithoutSignal) {
    ChildProcess child;
    ASSERT_EQ(child.start({"/bin/sh", "-c", "exec 0<&-; sleep 0.2"}), 0);
    ASSERT_TRUE(child.waitFor(5s).has_value());
    EXPECT_FALSE(child.writeStdin("q\n"));  // EPIPE, and this process lives on
}

TEST(Pipe, PeekAndWait) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EXPECT_EQ(platform::bytesAvailable(fds[0]), 0);
    EXPECT_FALSE(platform::waitReadable(fds[0], 10ms));
    ASSERT_EQ(::write(fds[1], "abc", 3), 3);
    EXPECT_EQ(platform::bytesAvailable(fds[0]), 3);
    EXPECT_TRUE(platform::waitReadable(fds[0], 10ms));
    ::close(fds[0]);
    ::close(fds[1]);
}
