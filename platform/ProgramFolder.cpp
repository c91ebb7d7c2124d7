#include "platform/ProgramFolder.h"

#include "platform/FileSystem.h"

#include <climits>
#include <unistd.h>

namespace platform {

const std::string& programFolder() {
    static const std::string folder = [] {
        char buffer[PATH_MAX + 1];
        const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
        if (n <= 0) return std::string("./");
        return parentFolder(std::string(buffer, static_cast<size_t>(n)));
    }();
    return folder;
}

}  // namespace platform
