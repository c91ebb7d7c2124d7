#include "platform/ChildProcess.h"

#include "platform/Pipe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

struct PipePair {
    int read = -1;
    int write = -1;
    ~PipePair() {
        closeFd(read);
        closeFd(write);
    }
    int open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
        read = fds[0];
        write = fds[1];
        return 0;
    }
};

int decodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (started() && !exitCode_) kill();
    closeStdin();
    closeStdout();
    closeStderr();
}

int ChildProcess::start(const std::vector<std::string>& argv, const Options& options) {
    if (argv.empty() || started()) return EINVAL;
    PipePair in, out, err;
    if (int e = in.open()) return e;
    if (int e = out.open()) return e;
    const bool stderrPipe = !options.mergeStderrIntoStdout && !options.inheritStderr;
    if (stderrPipe)
        if (int e = err.open()) return e;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copies; every other descriptor of
    // ours stays closed in the child because all of them are O_CLOEXEC.
    posix_spawn_file_actions_adddup2(&actions, in.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    if (options.mergeStderrIntoStdout)
        posix_spawn_file_actions_adddup2(&actions, out.write, STDERR_FILENO);
    else if (stderrPipe)
        posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    if (options.workingDirectoryFd >= 0)
        posix_spawn_file_actions_addfchdir_np(&actions, options.workingDirectoryFd);
    else if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());

    // The child starts with default signal handling and an empty mask, even
    // when the parent ignores SIGPIPE or blocks signals in this thread.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t child = 0;
    const int rc = ::posix_spawn(&child, argv[0].c_str(), &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return rc;

    pid_.store(child);
    exitCode_.reset();
    stdin_ = in.write;
    in.write = -1;
    stdout_ = out.read;
    out.read = -1;
    stderr_ = err.read;
    err.read = -1;
    return 0;
}

bool ChildProcess::writeStdin(std::string_view text) {
    return stdin_ >= 0 && writeAllNoSigpipe(stdin_, text);
}

void ChildProcess::closeStdin() { closeFd(stdin_); }
void ChildProcess::closeStdout() { closeFd(stdout_); }
void ChildProcess::closeStderr() { closeFd(stderr_); }

std::optional<int> ChildProcess::tryReap() {
    if (exitCode_) return exitCode_;
    const pid_t child = pid_.load();
    if (child <= 0) return std::nullopt;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(child, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == child) {
        exitCode_ = decodeStatus(status);
    } else if (r < 0) {
        exitCode_ = -1;  // not our child any more (reaped elsewhere)
    }
    return exitCode_;
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit) {
    if (!started()) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        if (auto code = tryReap()) return code;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
}

bool ChildProcess::running() { return started() && !tryReap(); }

void ChildProcess::kill() {
    if (!started() || tryReap()) return;
    ::kill(pid_.load(), SIGKILL);
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_.load(), &status, 0);
    } while (r < 0 && errno == EINTR);
    exitCode_ = r == pid_.load() ? decodeStatus(status) : -1;
}

int ChildProcess::terminate(std::chrono::milliseconds grace) {
    if (!started()) return -1;
    if (auto code = waitFor(grace)) return *code;
    kill();
    return exitCode_.value_or(-1);
}

}  // namespace platform
