#include "app/StartupEnvironment.h"

#include <dirent.h>
#include <unistd.h>
#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
bool isSet(const StartupEnvironment::Lookup& lookup, const char* name) {
    const char* value = lookup(name);
    return value && *value;
}

// A whole flag among blank-separated ones.
bool hasFlag(const std::string& flags, std::string_view flag) {
    size_t start = 0;
    while (start < flags.size()) {
        const size_t end = std::min(flags.find(' ', start), flags.size());
        if (std::string_view(flags).substr(start, end - start) == flag) return true;
        start = end + 1;
    }
    return false;
}

bool hasRenderNode() {
    DIR* dir = ::opendir("/dev/dri");
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, "renderD", 7) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}
}  // namespace

StartupEnvironment::Variables StartupEnvironment::Needed(const Facts& facts, const Lookup& lookup) {
    Variables needed;
    auto add = [&](const char* name, const char* value) {
        if (!isSet(lookup, name)) needed.emplace_back(name, value);
    };
    if (facts.waylandSession) add("QT_QPA_PLATFORM", "xcb");
    if (facts.root) add("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!facts.gpu) {
        // The user's flags stay; without this one the view paints black.
        const char* flags = lookup("QTWEBENGINE_CHROMIUM_FLAGS");
        const std::string userFlags = flags ? flags : "";
        if (userFlags.empty()) {
            needed.emplace_back("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
        } else if (!hasFlag(userFlags, "--disable-gpu")) {
            needed.emplace_back("QTWEBENGINE_CHROMIUM_FLAGS", userFlags + " --disable-gpu");
        }
        add("QT_QUICK_BACKEND", "software");
    }
    return needed;
}

StartupEnvironment::Facts StartupEnvironment::Detect() {
    Facts facts;
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    facts.waylandSession = (wayland && *wayland) || (session && std::strcmp(session, "wayland") == 0);
    facts.root = ::geteuid() == 0;
    facts.gpu = hasRenderNode();
    return facts;
}

void StartupEnvironment::Apply() {
    for (const auto& [name, value] : Needed(Detect(), [](const char* name) { return std::getenv(name); }))
        ::setenv(name.c_str(), value.c_str(), 1);  // Needed left out what the user set
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
