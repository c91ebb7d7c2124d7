#include "veltara-track/RepairCommand.h"

#include "repair/ClipRepair.h"
#include "repair/CutClip.h"
#include "trackfile/TrackTextEscape.h"

#include <chrono>
#include <cstdio>
#include <thread>

bool isCutClip(const std::string& path) {
    return CutClip::isCut(path);
}

int runRepairCommand(const TrackToolOptions& options, const std::vector<std::string>& clips,
                     const std::atomic<int>& interrupted) {
    int status = 0;
    for (const std::string& clip : clips) {
        if (interrupted.load() != 0) return 1;
        std::atomic<bool> stop{false};
        RepairRequest request;
        request.clip = clip;
        request.reference = options.reference;
        request.stop = &stop;
        RepairOutcome outcome;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            outcome = ClipRepair::run(request);
            done.store(true);
        });
        while (!done.load()) {
            if (interrupted.load() != 0) stop.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        worker.join();
        if (!outcome.repaired) {
            std::fprintf(stderr, "veltara-track: %s: cannot be repaired: %s\n", printableText(clip).c_str(),
                         printableText(outcome.reason).c_str());
            status = 1;
            continue;
        }
        std::printf("%s\n", printableText(outcome.copy).c_str());
        if (outcome.soundlessStretches > 0)
            std::fprintf(stderr, "veltara-track: %s: %zu stretches have no sound (their frames could not be told apart)\n",
                         printableText(clip).c_str(), outcome.soundlessStretches);
    }
    return std::fflush(stdout) == 0 ? status : 1;
}
