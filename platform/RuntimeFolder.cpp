#include "platform/RuntimeFolder.h"

#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// A real folder (not a link) owned by us that only we may enter.
bool isPrivateFolder(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string privateRuntimeFolder(const std::string& xdgRuntimeDir, const std::string& tmpRoot) {
    if (!xdgRuntimeDir.empty() && xdgRuntimeDir.front() == '/' && isPrivateFolder(xdgRuntimeDir))
        return withTrailingSlash(xdgRuntimeDir);
    const std::string root = withTrailingSlash(tmpRoot);
    const std::string own = root + "veltara-" + std::to_string(::getuid());
    ::mkdir(own.c_str(), 0700);
    // Whoever made it, it is used only when it is ours and closed to others.
    if (isPrivateFolder(own)) return own + "/";
    // Someone else holds the fixed name: a folder of our own beside it,
    // the same one for every later start while it lasts.
    std::vector<DirectoryEntry> entries;
    std::string found;
    if (listDirectory(root, entries))
        for (const auto& entry : entries)
            if (entry.name.rfind("veltara-" + std::to_string(::getuid()) + ".", 0) == 0 &&
                isPrivateFolder(root + entry.name) && (found.empty() || entry.name < found))
                found = entry.name;
    if (!found.empty()) return root + found + "/";
    std::string pattern = own + ".XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr || !isPrivateFolder(pattern)) return {};
    return pattern + "/";
}

std::string privateRuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    return privateRuntimeFolder(xdg ? xdg : "", "/tmp");
}

}  // namespace platform
