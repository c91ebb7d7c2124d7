#include "playlist/DroppedFileChoice.h"

#include "platform/FileSystem.h"
#include "playlist/AcceptedExtensions.h"
#include "playlist/MediaPath.h"

std::optional<std::string> DroppedFileChoice::Choose(const std::vector<std::string>& paths,
                                                     const AcceptedExtensions& extensions) {
    const std::string* last = nullptr;
    bool mediaDropped = false;
    for (const std::string& path : paths) {
        if (!platform::isRegularFile(path)) continue;
        last = &path;
        if (extensions.IsMediaFileName(MediaPath::Split(path).name)) mediaDropped = true;
    }
    if (!mediaDropped) return std::nullopt;
    return *last;
}
