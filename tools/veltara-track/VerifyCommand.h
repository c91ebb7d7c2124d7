#pragma once
// veltara-track --verify FOLDER: re-checks an evidence folder
// (EvidenceVerifier) and prints one line per check on standard output,
// "holds" or "FAILS", the file or part checked and what was found.
//
// Threads: main; the verification runs on a worker that a signal stops.
#include <atomic>
#include <string>

// The exit status: 0 when every check holds, 1 otherwise.
// caFile: the authorities trusted for the signature and the time stamp; "" the system's.
int runVerifyCommand(const std::string& folder, const std::string& caFile, const std::string& commandLine,
                     const std::atomic<int>& interrupted);
