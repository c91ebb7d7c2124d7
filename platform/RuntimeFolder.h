#pragma once
// The per-user private runtime folder (mode 0700): $XDG_RUNTIME_DIR when it
// is a folder of ours that nobody else may enter, else /tmp/veltara-<uid>,
// else (another user took that name, or it is open to others) the first
// /tmp/veltara-<uid>.XXXXXX of ours, made with mkdtemp when there is none.
// Sockets and lock files live there.
#include <string>

namespace platform {

// Ends in "/"; empty when no safe folder could be had. Safe from any thread.
std::string privateRuntimeFolder();

// The rule itself, for tests: xdgRuntimeDir as the environment gives it
// (may be empty), tmpRoot the folder under which our own one is made.
std::string privateRuntimeFolder(const std::string& xdgRuntimeDir, const std::string& tmpRoot);

}  // namespace platform
