#pragma once
// Finds one picture sample of H.264 or H.265 in the media data: NAL units,
// each behind a big-endian length of the camera's size, whose lengths chain
// exactly, whose types are valid for the codec, and which make exactly one
// picture (the sample ends where the next picture's units begin, or where
// the chain ends). A unit that runs past the end makes no sample, so a
// picture cut in half is dropped.
//
// Threads: one thread per object (it reads through the walk's window).
#include "repair/MdatWindow.h"

#include <cstdint>

class NalSampleScanner {
public:
    // maxPicture: the reference's largest picture; a picture here may be a
    // few times larger, never more (so sound that looks like a length
    // prefix does not swallow the media data). 0: no reference figure.
    NalSampleScanner(MdatWindow& window, bool hevc, int lengthSize, uint32_t maxPicture = 0);

    struct Sample {
        uint32_t size = 0;  // 0: no picture sample here
        bool key = false;
    };
    Sample sampleAt(uint64_t at) const;
    // Whether a NAL unit seems to start here, complete or not: a sound or text
    // matcher leaves such bytes alone (a picture cut short is not sound).
    bool unitStartsAt(uint64_t at) const;

    static constexpr uint32_t kMaxSample = 32 << 20;
    static constexpr uint32_t kMaxPartial = 4 << 20;

private:
    enum class Unit { Invalid, Picture, FirstSliceOfPicture, StartsAccessUnit, Other };
    Unit classify(const unsigned char* header, uint32_t length, bool& key, int& type) const;
    bool lengthAt(uint64_t at, uint32_t& length) const;

    MdatWindow& window_;
    bool hevc_;
    int lengthSize_;
    uint32_t maxSample_;
};
