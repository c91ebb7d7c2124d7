#pragma once
// Repairs a clip cut short (no index): learns the camera's layout from a
// healthy reference clip (RepairProfile), walks the clip's media data
// (MdatWalk), checks that the reference's parameter sets decode its first
// picture, and writes `<stem>.repaired.<ext>` beside the original when that
// folder is writable, else in `Repaired/` of the user data folder. The original is never
// changed. The copy's start time is the original's: its modification time
// (when the camera last wrote, that is the cut) less the repaired length.
// Everything that cannot be repaired is refused with a reason and nothing is
// written.
//
// The copy records its provenance (RepairProvenance): the original's and the
// reference's names and SHA-256, each taken on a thread of run()'s own while
// the walk runs and the media data is copied, joined before the index is
// written (and before run() returns).
//
// Threads: run() on any one thread (a worker in the player); the stop flag
// and the progress may be touched from any thread.
#include <atomic>
#include <cstddef>
#include <string>

struct RepairRequest {
    std::string clip;
    std::string reference;  // empty: the nearest healthy clip of the same camera (RepairReference)
    const std::atomic<bool>* stop = nullptr;
    std::atomic<double>* progress = nullptr;  // 0 to 1
    std::string userDataFolder;  // where Repaired/ goes when the clip's folder is read-only; "" the default
};

struct RepairOutcome {
    bool repaired = false;
    std::string copy;       // the repaired copy's path
    std::string reference;  // the reference used
    std::string reason;     // why not
    size_t pictures = 0, soundSamples = 0, textSamples = 0, dataBlocks = 0;
    size_t soundlessStretches = 0;
    double seconds = 0.0;
};

class ClipRepair {
public:
    static RepairOutcome run(const RepairRequest& request);
    // Where the copy of clip goes (the folder is created when needed);
    // empty when there is nowhere. userData "": the program's user data
    // folder, <documents>/Veltara DVR Player/.
    static std::string copyPathFor(const std::string& clip, const std::string& userData = {});
    // The words a clip cut short is shown with, instead of "damaged".
    static constexpr const char* kCutShort = "cut short (no index)";
};
