#pragma once
// Runs a program (an argument vector, no shell) in a folder and gives its
// standard output and error together, for checks with ffprobe, pdftotext
// or sha256sum.
#include <string>
#include <vector>

namespace testing_support {

// status: the exit code, or -1 when it did not start or end within a minute.
std::string commandOutput(const std::vector<std::string>& argv, const std::string& folder, int& status);

}  // namespace testing_support
