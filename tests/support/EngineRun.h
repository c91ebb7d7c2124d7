#pragma once
// Runs the built player engine (<program folder>/MPlayer/mplayer) as the
// program does: commands on its standard input, lines from its standard
// output. Reads output only when asked, so a test can also leave it unread.
// Used from one test thread; the destructor kills an engine that still runs.
#include "platform/ChildProcess.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

class EngineRun {
public:
    static std::string enginePath();

    // args follow the program name. Returns false when the engine did not start.
    bool start(const std::vector<std::string>& args, const std::string& workDir = {});
    bool send(std::string_view command);
    void closeInput() { process_.closeStdin(); }

    // The next output line (after those already taken) that begins with the
    // prefix; the lines before it are taken too. Nothing on time-out or end.
    std::optional<std::string> next(std::string_view prefix, std::chrono::milliseconds limit);
    // Every output line read so far, taken or not.
    const std::vector<std::string>& lines() const { return lines_; }
    // Standard error read so far.
    const std::string& errors() const { return errors_; }
    // Reads to the end of the output, then waits for the exit code.
    std::optional<int> finish(std::chrono::milliseconds limit);

    platform::ChildProcess& process() { return process_; }

private:
    // Reads what is there, waiting at most until the deadline; false at end of output.
    bool pump(std::chrono::steady_clock::time_point deadline);

    platform::ChildProcess process_;
    std::vector<std::string> lines_;
    std::string partial_;
    std::string errors_;
    size_t taken_ = 0;
    bool outputEnded_ = false;
};

}  // namespace testing_support
