#pragma once
// A full path split into its folder (up to and including the last "/") and
// its file name (the rest). A path without "/" has an empty folder.
//
// Threads: any (a plain value).
#include <string>
#include <string_view>

struct MediaPath {
    std::string folder;
    std::string name;

    static MediaPath Split(std::string_view path);
};
