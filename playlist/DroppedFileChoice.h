#pragma once
// Which file of a drop opens its folder: the last dropped regular file, in
// drop order, whatever its extension, but only when at least one dropped
// regular file is a media file. Folders (never searched) and paths whose
// status cannot be read do not count.
//
// Threads: UI thread (it reads the file system).
#include <optional>
#include <string>
#include <vector>

class AcceptedExtensions;

struct DroppedFileChoice {
    static std::optional<std::string> Choose(const std::vector<std::string>& paths,
                                             const AcceptedExtensions& extensions);
};
