#pragma once
// What identifies one state of a clip in the track index: its canonical path,
// size and modification time, and which file it is (device, inode) and when
// its status last changed. A copy that keeps size and time (cp -p, rsync -a,
// a camera that pre-allocates its files) is another inode or a newer status
// change, which no user program can set back. A plain value; any thread.
#include <cstdint>
#include <string>

struct ClipKey {
    std::string path;  // canonical (no links, no "..")
    int64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t device = 0;
    int64_t inode = 0;
    int64_t ctimeNs = 0;

    bool operator==(const ClipKey&) const = default;

    // False when the file cannot be looked at.
    static bool of(const std::string& path, ClipKey& key);
};
