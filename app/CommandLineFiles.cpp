#include "app/CommandLineFiles.h"

#include <unistd.h>
#include <array>
#include <string_view>

namespace {

// The options QApplication reads that take a value.
constexpr std::array<std::string_view, 11> kValueOptions = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qmljsdebugger", "-style",
    "-stylesheet", "-session", "-display", "-geometry", "-title"};

bool takesValue(std::string_view option) {
    if (option.size() > 2 && option[1] == '-') option.remove_prefix(1);  // --style as -style
    for (std::string_view known : kValueOptions) {
        if (option == known) return true;
    }
    return false;
}

std::string workingFolder() {
    std::string folder(4096, '\0');
    if (!::getcwd(folder.data(), folder.size())) return "/";
    folder.resize(folder.find('\0'));
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

std::vector<std::string> CommandLineFiles::Parse(int argc, const char* const* argv) {
    std::vector<std::string> files;
    std::string folder;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (argument.empty()) continue;
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.front() == '-') {
            if (takesValue(argument) && argument.find('=') == std::string_view::npos) ++i;
            continue;
        }
        if (argument.front() == '/') {
            files.emplace_back(argument);
            continue;
        }
        if (folder.empty()) folder = workingFolder();
        files.push_back(folder + std::string(argument));
    }
    return files;
}
