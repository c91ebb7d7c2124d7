#pragma once
// The export's copy of the journey: finds the original clips of the drive
// the stretch lies in, of every channel (JourneyClips), and copies each into
// originals/ of the evidence folder (OriginalsCopy), through the folder's
// descriptors. What it made goes with EvidenceFolder::remove().
//
// Threads: run() on the export's second worker, which alone makes
// subfolders and files below the top folder meanwhile; stop from any thread.
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

    // stretch: the stretch's clips, in order.
    bool run(const EvidenceRequest& request, const std::vector<std::string>& stretch, EvidenceFolder& folder,
             const std::atomic<bool>& stop, std::string& reason);
    const std::vector<Original>& originals() const { return originals_; }

private:
    std::vector<std::string> journey(const EvidenceRequest& request, const std::vector<std::string>& stretch) const;

    std::vector<Original> originals_;
};
