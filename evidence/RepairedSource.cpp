#include "evidence/RepairedSource.h"

#include "platform/FileSystem.h"
#include "platform/Sha256.h"

#include <sys/stat.h>

std::optional<RepairedSource> RepairedSource::of(const std::string& copyPath, const std::atomic<bool>* stop) {
    std::optional<RepairProvenance> provenance = RepairProvenance::read(copyPath);
    if (!provenance) return std::nullopt;
    RepairedSource source;
    source.provenance = std::move(*provenance);
    // The name is a plain file name (the reader refuses separators), so this stays in the copy's folder.
    source.originalPath = platform::parentFolder(copyPath) + source.provenance.original;
    struct stat st;
    std::string hex, why;
    if (::lstat(source.originalPath.c_str(), &st) != 0)
        source.original = Original::Missing;
    else if (!S_ISREG(st.st_mode) || !Sha256::ofFile(source.originalPath, hex, why, stop))
        source.original = Original::Unreadable;
    else
        source.original = hex == source.provenance.originalSha256 ? Original::Matches : Original::Differs;
    return source;
}

const char* RepairedSource::originalState() const {
    switch (original) {
        case Original::Matches:
            return "matches";
        case Original::Differs:
            return "differs";
        case Original::Missing:
            return "missing";
        case Original::Unreadable:
            return "unreadable";
    }
    return "missing";
}
