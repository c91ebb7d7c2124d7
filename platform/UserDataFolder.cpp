#include "platform/UserDataFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

std::string userDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return std::string(data) + "/veltara";
    std::string home;
    if (const char* h = std::getenv("HOME")) home = h;
    if (home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    return home.empty() ? std::string() : home + "/.local/share/veltara";
}

}  // namespace platform
