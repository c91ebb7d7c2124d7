#pragma once
// The user's documents folder by the XDG rules: XDG_DOCUMENTS_DIR from
// user-dirs.dirs, else $HOME/Documents.
#include <string>

namespace platform {

// Without a trailing "/"; empty when there is no home folder. The folder
// may not exist: the caller checks.
std::string documentsFolder();

// The rule itself, for tests: home and configHome as the environment gives
// them ($HOME, $XDG_CONFIG_HOME, either may be empty).
std::string documentsFolder(const std::string& home, const std::string& configHome);

}  // namespace platform
