#include "platform/RuntimeFolder.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

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
    const std::string own = withTrailingSlash(tmpRoot) + "veltara-" + std::to_string(::getuid());
    ::mkdir(own.c_str(), 0700);
    // Whoever made it, it is used only when it is ours and closed to others.
    if (!isPrivateFolder(own)) return {};
    return own + "/";
}

std::string privateRuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    return privateRuntimeFolder(xdg ? xdg : "", "/tmp");
}

}  // namespace platform
