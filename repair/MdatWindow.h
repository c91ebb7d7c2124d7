#pragma once
// Buffered reads of the media data for the walk: a window of a few megabytes
// moved forward as the walk goes, so looking at a sample's first bytes costs
// no system call. Nothing is read past `end`.
//
// Threads: one thread per object.
#include "telemetry/IsoFile.h"

#include <cstdint>
#include <string>

class MdatWindow {
public:
    static constexpr size_t kWindow = 4 << 20;

    MdatWindow(const IsoFile& file, uint64_t end) : file_(file), end_(end) {}
    uint64_t end() const { return end_; }
    // The n bytes at `at`, or null when they are not all before end (or n is
    // more than a window).
    const unsigned char* at(uint64_t at, size_t n);

private:
    const IsoFile& file_;
    uint64_t end_;
    std::string buffer_;
    uint64_t start_ = 0;
};
