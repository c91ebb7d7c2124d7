#pragma once
// The export's copy of the journey: finds the original clips of the drive
// the stretch lies in, of every channel (JourneyClips), and copies each into
// originals/ of the evidence folder (OriginalsCopy), through the folder's
// descriptors. What it made goes with EvidenceFolder::remove().
//
// Threads: plan() on the export's thread; copy() then on a worker of its
// own, which alone makes subfolders and files below the top folder
// meanwhile (and owns originals() until joined); stop from any thread.
#include "evidence/EvidenceFolder.h"
#include "evidence/EvidenceRequest.h"

#include <sys/stat.h>
#include <atomic>
#include <string>
#include <vector>

class JourneyCopy {
public:
    struct Original {
        std::string path;      // the source clip
        std::string relative;  // in the folder: "originals/NAME"
        std::string sha256;
        struct stat source {};  // the source as it was copied
    };

    // Finds the journey of the stretch (its clips, in order) and the place
    // of each clip under originals/; false with the reason.
    bool plan(const EvidenceRequest& request, const std::vector<std::string>& stretch, std::string& reason);
    // "originals/NAME" of each clip planned, in order.
    const std::vector<std::string>& places() const { return places_; }
    bool copy(EvidenceFolder& folder, const std::atomic<bool>& stop, std::string& reason);
    const std::vector<Original>& originals() const { return originals_; }

private:
    std::vector<std::string> journey(const EvidenceRequest& request, const std::vector<std::string>& stretch) const;

    std::vector<std::string> clips_, places_;
    std::vector<Original> originals_;
};
