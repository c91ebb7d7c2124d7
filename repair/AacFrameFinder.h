#pragma once
// Finds where one raw AAC frame ends. Raw frames carry no length or sync
// word, so FFmpeg's decoder, opened with the reference's decoder
// configuration, tells: a frame decodes from a stretch of n bytes exactly
// when n reaches the frame's end, so the shortest such stretch is the frame.
// Without FFmpeg's libraries (or the decoder) nothing is found, and the walk
// treats that sound as a stretch without sound.
//
// Threads: one thread per object. The decoder opens in the constructor and
// closes in the destructor.
#include <cstddef>
#include <cstdint>
#include <string>

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
    // The frame's length at the start of bytes (at most size of them), 0 when
    // no frame decodes there.
    size_t frameLength(const unsigned char* bytes, size_t size);
    // The longest a frame can be for this many channels (6144 bits each).
    size_t maxFrame() const { return maxFrame_; }

private:
    bool decodes(const unsigned char* bytes, size_t n);

    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    size_t maxFrame_ = 768;
    size_t lastLength_ = 0;
};
