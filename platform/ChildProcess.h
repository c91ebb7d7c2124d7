#pragma once
// A child process started from an argument vector (never through a shell),
// with its standard input, output and error on pipes.
//
// Threads: one owner thread starts, waits for, kills and destroys the process.
// Other threads may read the output descriptors or write the input descriptor
// while the owner keeps them open; the owner closes them only after those
// threads are done. pid() is safe from any thread.
// Lifecycle: start() once; the destructor kills a child that still runs and
// reaps it, so no zombie outlives the object.
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

class ChildProcess {
public:
    struct Options {
        std::string workingDirectory;  // empty: the parent's
        // A folder held open: the child starts in it whatever its path has
        // become meanwhile (it wins over workingDirectory).
        int workingDirectoryFd = -1;
        bool mergeStderrIntoStdout = false;
        // The child writes to our standard error (its log is kept apart
        // from the output we parse); stderrFd() is then -1.
        bool inheritStderr = false;
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is the path of the executable. Returns 0, or the errno of the
    // failure (ENOENT for a missing program, EACCES, ...).
    int start(const std::vector<std::string>& argv, const Options& options);
    int start(const std::vector<std::string>& argv) { return start(argv, Options{}); }

    pid_t pid() const { return pid_.load(); }
    bool started() const { return pid_.load() > 0; }

    int stdinFd() const { return stdin_; }
    int stdoutFd() const { return stdout_; }
    int stderrFd() const { return stderr_; }  // -1 when merged into stdout or inherited

    // Writes all of the text to the child's standard input; false when the
    // pipe is closed or the child is gone (no SIGPIPE is raised).
    bool writeStdin(std::string_view text);
    void closeStdin();
    void closeStdout();
    void closeStderr();

    // Waits up to the time limit for the child to end and reaps it. Returns
    // the exit code (128 + signal number for a killed child), or nothing on
    // time-out. After the child was reaped it returns the same code again.
    std::optional<int> waitFor(std::chrono::milliseconds limit);
    // True while the child has not been reaped and has not ended.
    bool running();
    // SIGKILL and reap.
    void kill();
    // Waits up to the grace time, then kills; always reaps. Returns the exit code.
    int terminate(std::chrono::milliseconds grace);

private:
    std::optional<int> tryReap();

    std::atomic<pid_t> pid_{0};
    int stdin_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace platform
