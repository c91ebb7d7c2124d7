#include "config/CopyFolderTree.h"

#include "platform/FileSystem.h"

#include <vector>

bool CopyFolderTree(std::string source, std::string destination, bool failIfExists) {
    if (source.empty()) return false;
    if (!platform::makeDirectory(destination)) return false;
    source = platform::withTrailingSlash(std::move(source));
    destination = platform::withTrailingSlash(std::move(destination));

    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(source, entries)) return false;

    bool result = false;
    for (const auto& entry : entries) {
        const std::string from = source + entry.name;
        const std::string to = destination + entry.name;
        if (entry.isDirectory)
            result = CopyFolderTree(from, to, failIfExists);
        else if (platform::pathExists(to))
            result = true;
        else
            result = platform::copyFile(from, to, failIfExists);
        if (!result) break;
    }
    return result;
}
