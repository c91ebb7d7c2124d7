#pragma once
// The order a camera that reorders its pictures (B-frames) shows them in.
// Each picture's picture order count is read from its first slice header by
// FFmpeg's parser, which keeps the parameter sets and the count's state from
// picture to picture for both codecs; offsets() turns the counts into each
// picture's composition offset. Without FFmpeg's parser, or when one
// picture's count cannot be read, nothing is known and the copy keeps its
// pictures in decode order.
//
// Threads: one thread per object. The parser opens in the constructor and
// closes in the destructor.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AVCodecParserContext;
struct AVCodecContext;

class PictureOrder {
public:
    PictureOrder(const std::string& parameterSets, bool hevc, int nalLengthSize);
    ~PictureOrder();
    PictureOrder(const PictureOrder&) = delete;
    PictureOrder& operator=(const PictureOrder&) = delete;

    // One picture, in decode order: its first bytes (at least through its
    // first slice's header, or all of it).
    void add(const unsigned char* bytes, size_t size);
    // Every picture's count, or empty when one is not known.
    std::vector<int> counts() const { return known_ ? counts_ : std::vector<int>{}; }

    struct Offsets {
        std::vector<uint32_t> frames;  // each picture's composition offset, in sample durations
        uint32_t delay = 0;            // the offset of the first picture shown
    };
    // From the counts of pictures in decode order, and their key marks: a
    // key picture whose count falls back starts a new sequence. Empty frames
    // when the pictures are shown in decode order, or one would move more
    // than kMaxShift places.
    static Offsets offsets(const std::vector<int>& counts, const std::vector<bool>& keys);

    static constexpr size_t kMaxShift = 64;
    static constexpr size_t kHeaderBytes = 16 << 10;  // enough of a picture for its first slice header

private:
    AVCodecParserContext* parser_ = nullptr;
    AVCodecContext* context_ = nullptr;
    bool hevc_;
    int lengthSize_;
    bool known_ = true;
    std::vector<int> counts_;
    std::string packet_;
};
