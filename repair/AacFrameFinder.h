#pragma once
// Finds where one raw AAC frame ends. Raw frames carry no length or sync
// word, so FFmpeg's decoder, opened with the reference's decoder
// configuration, tells: a frame decodes from a stretch of n bytes exactly
// when n reaches the frame's end, so the shortest such stretch is the frame.
// Searching for it costs about ten decodes a frame, so the frames of a run
// are decoded as one packet instead: the decoder takes one frame at a time
// and stamps each with the bytes the packet had left when that frame began,
// which gives every frame's length but the last one's for one decode each
// (FFmpeg 7 no longer stamps frames: there every frame is searched for).
// The last one is known too when the walk names where the next picture or
// block starts and the decoder took every byte up to it. Only what neither
// tells is searched for. Without FFmpeg's libraries (or the decoder) nothing
// is found, and the walk treats that sound as a stretch without sound.
//
// Threads: one thread per object. The decoder opens in the constructor and
// closes in the destructor.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct AVCodecContext;
struct AVPacket;
struct AVFrame;

class AacFrameFinder {
public:
    AacFrameFinder(const std::string& audioConfig, uint32_t channels);
    ~AacFrameFinder();
    AacFrameFinder(const AacFrameFinder&) = delete;
    AacFrameFinder& operator=(const AacFrameFinder&) = delete;

    bool usable() const { return context_ != nullptr; }
    // The length of the frame at offset `at` of the clip, whose bytes (at most
    // size of them, best kRun) start at bytes; 0 when no frame decodes there.
    // otherAt: how far on something other than sound seems to start (0: not
    // known).
    size_t frameLength(uint64_t at, const unsigned char* bytes, size_t size, size_t otherAt);
    // The longest a frame can be for this many channels (6144 bits each).
    size_t maxFrame() const { return maxFrame_; }
    // The bytes one run decode looks at.
    static constexpr size_t kRun = 64 << 10;

private:
    bool decodes(const unsigned char* bytes, size_t n);
    size_t searched(const unsigned char* bytes, size_t size);
    // Decodes the frames from bytes as one packet and keeps the lengths told.
    void decodeRun(uint64_t at, const unsigned char* bytes, size_t size, bool otherFollows);

    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    size_t maxFrame_ = 768;
    size_t lastLength_ = 0;
    std::vector<std::pair<uint64_t, size_t>> known_;  // frames of the last run: offset, length
    size_t nextKnown_ = 0;
};
