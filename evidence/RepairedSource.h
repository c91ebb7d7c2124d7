#pragma once
// A source clip of an export that is a repaired copy: what its provenance
// (RepairProvenance, inside the copy) says, and how the original found
// beside the copy compares with the checksum the repair recorded.
//
// Threads: any (the export's checksum worker); a value and a pure check.
#include "repair/RepairProvenance.h"

#include <atomic>
#include <optional>
#include <string>

struct RepairedSource {
    enum class Original { Matches, Differs, Missing, Unreadable };

    RepairProvenance provenance;
    std::string originalPath;  // beside the copy
    Original original = Original::Missing;

    // Empty when copyPath carries no provenance; stop ends the original's
    // checksum early (then it counts as unreadable).
    static std::optional<RepairedSource> of(const std::string& copyPath, const std::atomic<bool>* stop);
    // "matches", "differs", "missing" or "unreadable".
    const char* originalState() const;
};
