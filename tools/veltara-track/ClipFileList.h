#pragma once
// The clips a command line names: a file stays as given; a folder gives its
// media files (the playlist's media extensions, letter case ignored) sorted
// by path, and with recursive those of its subfolders too (links to folders
// are not followed, so a loop cannot trap the walk). What is passed over is
// named with its reason: a folder that cannot be listed or entered, a path
// longer than the system takes, a folder named like a clip (without
// recursive), a folder named on the command line that is empty.
//
// Threads: main only.
#include <string>
#include <vector>

struct ClipFileList {
    std::vector<std::string> files;
    std::vector<std::string> problems;  // "PATH: why", for what was passed over
};

ClipFileList listClipFiles(const std::vector<std::string>& paths, bool recursive);
