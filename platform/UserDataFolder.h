#pragma once
// The program's folder for data it makes for the user by the XDG rules:
// $XDG_DATA_HOME/veltara, else $HOME/.local/share/veltara.
#include <string>

namespace platform {

// Without a trailing "/"; empty when there is no home folder. The folder
// may not exist: the caller creates it.
std::string userDataFolder();

}  // namespace platform
