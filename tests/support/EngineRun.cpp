#include "support/EngineRun.h"

#include <poll.h>
#include <unistd.h>

namespace testing_support {

std::string EngineRun::enginePath() {
    return std::string(VELTARA_TEST_PROGRAM_DIR) + "MPlayer/mplayer";
}

bool EngineRun::start(const std::vector<std::string>& args, const std::string& workDir) {
    std::vector<std::string> argv{enginePath()};
    argv.insert(argv.end(), args.begin(), args.end());
    platform::ChildProcess::Options options;
    options.workingDirectory = workDir;
    return process_.start(argv, options) == 0;
}

bool EngineRun::send(std::string_view command) {
    return process_.writeStdin(std::string(command) + "\n");
}

bool EngineRun::pump(std::chrono::steady_clock::time_point deadline) {
    if (outputEnded_) return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fds[2] = {{process_.stdoutFd(), POLLIN, 0}, {process_.stderrFd(), POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0) return true;
    char buffer[65536];
    if (fds[1].revents & (POLLIN | POLLHUP)) {
        const ssize_t n = ::read(process_.stderrFd(), buffer, sizeof buffer);
        if (n > 0)
            errors_.append(buffer, static_cast<size_t>(n));
        else
            process_.closeStderr();
    }
    if (fds[0].revents & (POLLIN | POLLHUP)) {
        const ssize_t n = ::read(process_.stdoutFd(), buffer, sizeof buffer);
        if (n <= 0) {
            outputEnded_ = true;
            return false;
        }
        partial_.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = partial_.find('\n')) != std::string::npos) {
            lines_.push_back(partial_.substr(0, end));
            partial_.erase(0, end + 1);
        }
    }
    return true;
}

std::optional<std::string> EngineRun::next(std::string_view prefix, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        while (taken_ < lines_.size()) {
            const std::string& line = lines_[taken_++];
            if (line.rfind(prefix, 0) == 0) return line;
        }
        if (std::chrono::steady_clock::now() >= deadline || !pump(deadline)) {
            if (taken_ < lines_.size()) continue;
            return std::nullopt;
        }
    }
}

std::optional<int> EngineRun::finish(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline && pump(deadline)) {
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return process_.waitFor(std::max(left, std::chrono::milliseconds(0)));
}

}  // namespace testing_support
