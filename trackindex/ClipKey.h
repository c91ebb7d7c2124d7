#pragma once
// What identifies one state of a clip in the track index: its canonical path,
// size and modification time. A plain value; any thread.
#include <cstdint>
#include <string>

struct ClipKey {
    std::string path;  // canonical (no links, no "..")
    int64_t size = 0;
    int64_t mtimeNs = 0;

    bool operator==(const ClipKey&) const = default;

    // False when the file cannot be looked at.
    static bool of(const std::string& path, ClipKey& key);
};
