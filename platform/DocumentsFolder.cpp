#include "platform/DocumentsFolder.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace platform {

namespace {

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs text: a shell-quoted
// "$HOME/..." or absolute path.
std::string documentsEntry(const std::string& text, const std::string& home) {
    std::istringstream lines(text);
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        else if (value.empty() || value.front() != '/')
            continue;
        found = value;  // the last entry wins, as for the shell
    }
    while (found.size() > 1 && found.back() == '/') found.pop_back();
    return found;
}

}  // namespace

std::string documentsFolder(const std::string& home, const std::string& configHome) {
    if (home.empty()) return {};
    const std::string config = configHome.empty() || configHome.front() != '/' ? home + "/.config" : configHome;
    std::string text;
    if (readFile(config + "/user-dirs.dirs", text)) {
        std::string entry = documentsEntry(text, home);
        // An entry equal to the home folder means "no documents folder".
        if (!entry.empty() && entry != home) return entry;
    }
    return home + "/Documents";
}

std::string documentsFolder() {
    const char* home = std::getenv("HOME");
    std::string homeText = home ? home : "";
    if (homeText.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) homeText = pw->pw_dir;
    }
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    return documentsFolder(homeText, configHome ? configHome : "");
}

}  // namespace platform
