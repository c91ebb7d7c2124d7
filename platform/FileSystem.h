#pragma once
// Path and file helpers in the spirit of the system calls the program needs.
// Folder texts end in "/" where the program keeps them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

bool pathExists(const std::string& path);
bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);
// A regular file's modification time in seconds since the epoch; NaN for
// anything else or when it cannot be read.
double modificationSeconds(const std::string& path);
// Creates one level; true when it was created or already is a folder.
bool makeDirectory(const std::string& path, unsigned mode = 0777);
// The folder part of a path, ending in "/" ("./" when there is none).
std::string parentFolder(std::string_view path);
// The last part of a path.
std::string fileName(std::string_view path);
// Adds a trailing "/" where missing.
std::string withTrailingSlash(std::string path);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};
// The entries of a folder other than "." and "..", in the order the file
// system returns them; false when the folder cannot be listed.
bool listDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries);

// Reads a whole regular file (a link to one is followed) of at most `limit`
// bytes; false when it cannot be opened or read, is anything but a regular
// file (a FIFO or device is never waited on) or is larger.
constexpr size_t kReadFileLimit = 1 << 20;
bool readFile(const std::string& path, std::string& contents, size_t limit = kReadFileLimit);
// Replaces a file atomically: the text goes to a temporary file in the same
// folder, is flushed, and is renamed over the original, so a failure at any
// point leaves the original whole. Keeps the original's permission bits.
bool replaceFileAtomically(const std::string& path, std::string_view contents);
// Copies a file; with failIfExists an existing destination is a failure.
bool copyFile(const std::string& from, const std::string& to, bool failIfExists);

}  // namespace platform
