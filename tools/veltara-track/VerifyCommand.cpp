#include "veltara-track/VerifyCommand.h"

#include "evidence/EvidenceVerifier.h"
#include "evidence/SealChecks.h"
#include "trackfile/TrackTextEscape.h"

#include <chrono>
#include <cstdio>
#include <thread>

int runVerifyCommand(const std::string& folder, const std::string& caFile, const std::string& commandLine,
                     const std::atomic<int>& interrupted) {
    EvidenceVerifier verifier;
    SealChecks::add(verifier, folder, caFile);
    VerifyChecks checks;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        checks = verifier.verify(folder, commandLine);
        finished.store(true);
    });
    while (!finished.load()) {
        if (interrupted.load() != 0) verifier.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    worker.join();
    size_t failed = 0;
    for (const VerifyCheck& check : checks) {
        if (!check.holds) ++failed;
        std::printf("%s  %s: %s\n", check.holds ? "holds" : "FAILS", printableText(check.subject).c_str(),
                    printableText(check.detail).c_str());
    }
    if (failed == 0 && !checks.empty()) return 0;
    std::fprintf(stderr, "veltara-track: %s: %zu of %zu checks fail\n", printableText(folder).c_str(), failed,
                 checks.size());
    return 1;
}
