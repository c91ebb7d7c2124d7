#include "support/CommandOutput.h"

#include "platform/ChildProcess.h"

#include <unistd.h>
#include <chrono>

namespace testing_support {

std::string commandOutput(const std::vector<std::string>& argv, const std::string& folder, int& status) {
    platform::ChildProcess child;
    platform::ChildProcess::Options options;
    options.workingDirectory = folder;
    options.mergeStderrIntoStdout = true;
    status = -1;
    if (child.start(argv, options) != 0) return {};
    child.closeStdin();
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stdoutFd(), buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    status = child.waitFor(std::chrono::seconds(60)).value_or(-1);
    return out;
}

}  // namespace testing_support
