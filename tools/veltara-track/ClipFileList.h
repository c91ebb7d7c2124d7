#pragma once
// The clips a command line names: a file stays as given; a folder gives its
// media files (the playlist's media extensions, letter case ignored) sorted
// by path, and with recursive those of its subfolders too (links to folders
// are not followed, so a loop cannot trap the walk).
//
// Threads: main only.
#include <string>
#include <vector>

struct ClipFileList {
    std::vector<std::string> files;
    std::vector<std::string> problems;  // "PATH: why", for folders that could not be listed
};

ClipFileList listClipFiles(const std::vector<std::string>& paths, bool recursive);
