#include "repair/NalSampleScanner.h"

#include <algorithm>

namespace {
constexpr int kMaxUnits = 1024;  // units of one picture
constexpr uint32_t kMinPictureLimit = 1 << 20;
}

NalSampleScanner::NalSampleScanner(MdatWindow& window, bool hevc, int lengthSize, uint32_t maxPicture)
    : window_(window), hevc_(hevc), lengthSize_(lengthSize),
      maxSample_(maxPicture == 0 ? kMaxSample
                                 : std::clamp<uint32_t>(maxPicture > kMaxSample / 8 ? kMaxSample : maxPicture * 8,
                                                        kMinPictureLimit, kMaxSample)) {}

bool NalSampleScanner::lengthAt(uint64_t at, uint32_t& length) const {
    const unsigned char* p = window_.at(at, static_cast<size_t>(lengthSize_));
    if (p == nullptr) return false;
    length = 0;
    for (int i = 0; i < lengthSize_; ++i) length = (length << 8) | p[i];
    return true;
}

NalSampleScanner::Unit NalSampleScanner::classify(const unsigned char* h, uint32_t length, bool& key,
                                                  int& type) const {
    type = -1;
    if ((h[0] & 0x80) != 0) return Unit::Invalid;  // forbidden bit
    if (hevc_) {
        if (length < 3) return Unit::Invalid;
        type = (h[0] >> 1) & 0x3F;
        const int layer = ((h[0] & 1) << 5) | (h[1] >> 3);
        if (layer != 0 || (h[1] & 7) == 0) return Unit::Invalid;
        if (type <= 9 || (type >= 16 && type <= 21)) {
            key = key || type >= 16;
            return (h[2] & 0x80) != 0 ? Unit::FirstSliceOfPicture : Unit::Picture;
        }
        if (type >= 32 && type <= 35) return Unit::StartsAccessUnit;  // VPS, SPS, PPS, delimiter
        if (type == 39) return Unit::StartsAccessUnit;                // prefix SEI
        if (type == 36 || type == 37) return length == 2 ? Unit::Other : Unit::Invalid;  // end of sequence, stream
        if (type == 38) return h[2] == 0xFF ? Unit::Other : Unit::Invalid;                // filler
        if (type == 40) return Unit::Other;                                               // suffix SEI
        return Unit::Invalid;
    }
    if (length < 1) return Unit::Invalid;
    type = h[0] & 0x1F;
    const int ref = (h[0] >> 5) & 3;
    switch (type) {
        case 1:
        case 5:
            if (length < 2 || (type == 5 && ref == 0)) return Unit::Invalid;
            key = key || type == 5;
            return (h[1] & 0x80) != 0 ? Unit::FirstSliceOfPicture : Unit::Picture;  // first_mb_in_slice == 0
        case 6:
        case 9:
            return ref == 0 ? Unit::StartsAccessUnit : Unit::Invalid;
        case 7:
        case 8:
            return ref != 0 ? Unit::StartsAccessUnit : Unit::Invalid;
        case 10:
        case 11:
            return length == 1 ? Unit::Other : Unit::Invalid;  // end of sequence, stream
        case 12:
            return length >= 2 && h[1] == 0xFF ? Unit::Other : Unit::Invalid;  // filler
        default:
            return Unit::Invalid;
    }
}

bool NalSampleScanner::unitStartsAt(uint64_t at) const {
    uint32_t length = 0;
    if (!lengthAt(at, length)) return false;
    const unsigned char* h = window_.at(at + lengthSize_, 3);
    bool key = false;
    int type = 0;
    // A unit cut short is at most a picture's size; sound that merely looks
    // like a length prefix claims far more.
    return h != nullptr && length <= std::min(kMaxPartial, maxSample_) && classify(h, length, key, type) != Unit::Invalid;
}

NalSampleScanner::Sample NalSampleScanner::sampleAt(uint64_t at) const {
    Sample sample;
    uint64_t p = at;
    bool picture = false, key = false;
    int pictureType = -1;
    for (int units = 0; units < kMaxUnits; ++units) {
        uint32_t length = 0;
        if (!lengthAt(p, length) || length == 0 || length > maxSample_) break;
        const uint64_t next = p + lengthSize_ + length;
        const unsigned char* h = window_.at(p + lengthSize_, 3);
        bool unitKey = false;
        int type = -1;
        Unit unit = h != nullptr ? classify(h, length, unitKey, type) : Unit::Invalid;
        // Further slices of a picture are of its first slice's type.
        if (unit == Unit::Picture && picture && type != pictureType) unit = Unit::Invalid;
        const bool startsNext = unit == Unit::StartsAccessUnit || unit == Unit::FirstSliceOfPicture;
        if (picture && startsNext) break;  // the next picture's first unit (whole or not)
        if (unit == Unit::Invalid) break;
        if (next > window_.end()) {
            if (picture && length > std::min(kMaxPartial, maxSample_)) break;  // not a unit: other bytes follow
            return {};                                   // this picture was cut in half
        }
        if (unit == Unit::Picture && !picture) return {};  // a slice without its picture's first
        if (unit == Unit::FirstSliceOfPicture) pictureType = type;
        if (unit == Unit::Picture || unit == Unit::FirstSliceOfPicture) picture = true;
        key = key || unitKey;
        if (next - at > maxSample_) return {};
        p = next;
    }
    if (!picture) return {};
    sample.size = static_cast<uint32_t>(p - at);
    sample.key = key;
    return sample;
}
