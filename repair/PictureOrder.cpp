#include "repair/PictureOrder.h"

#include "trackindex/Libav.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>

namespace {

constexpr size_t kSliceHeader = 512;  // of a slice, the parser reads no further than its header

bool isSlice(bool hevc, unsigned type) {
    return hevc ? type <= 21 : (type >= 1 && type <= 5);
}

bool isParameterSet(bool hevc, unsigned type) {
    return hevc ? type >= 32 && type <= 34 : type == 7 || type == 8;
}

}  // namespace

PictureOrder::PictureOrder(const std::string& parameterSets, bool hevc, int nalLengthSize)
    : hevc_(hevc), lengthSize_(nalLengthSize) {
    const Libav& av = libavCodecs();
    if (!av.loaded || parameterSets.empty()) {
        known_ = false;
        return;
    }
    parser_ = av.av_parser_init(hevc ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264);
    context_ = av.avcodec_alloc_context3(nullptr);
    if (context_ != nullptr) {
        context_->codec_id = hevc ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264;
        context_->extradata = static_cast<uint8_t*>(av.av_mallocz(parameterSets.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (context_->extradata != nullptr) {
            std::memcpy(context_->extradata, parameterSets.data(), parameterSets.size());
            context_->extradata_size = static_cast<int>(parameterSets.size());
        }
    }
    if (parser_ == nullptr || context_ == nullptr || context_->extradata == nullptr) {
        known_ = false;
        return;
    }
    parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
}

PictureOrder::~PictureOrder() {
    const Libav& av = libavCodecs();
    if (parser_ != nullptr) av.av_parser_close(parser_);
    if (context_ != nullptr) av.avcodec_free_context(&context_);
}

void PictureOrder::add(const unsigned char* bytes, size_t size) {
    if (!known_) return;
    // The parser gets the parameter sets the picture carries and its first
    // slice cut after the header, each behind a length that fits.
    packet_.clear();
    for (size_t at = 0; at + lengthSize_ < size;) {
        size_t length = 0;
        for (int i = 0; i < lengthSize_; ++i) length = (length << 8) | bytes[at + i];
        const size_t body = at + lengthSize_;
        const unsigned type = hevc_ ? (bytes[body] >> 1) & 0x3F : bytes[body] & 0x1F;
        const bool slice = isSlice(hevc_, type);
        if (slice || (isParameterSet(hevc_, type) && length <= size - body)) {
            const size_t kept = std::min({length, size - body, slice ? kSliceHeader : length});
            for (int i = lengthSize_ - 1; i >= 0; --i) packet_ += static_cast<char>((kept >> (8 * i)) & 0xFF);
            packet_.append(reinterpret_cast<const char*>(bytes + body), kept);
        }
        if (slice || length > size - body) break;
        at = body + length;
    }
    const size_t n = packet_.size();
    packet_.append(AV_INPUT_BUFFER_PADDING_SIZE, '\0');
    const Libav& av = libavCodecs();
    uint8_t* out = nullptr;
    int outSize = 0;
    parser_->output_picture_number = INT_MIN;
    if (n > 0)
        av.av_parser_parse2(parser_, context_, &out, &outSize, reinterpret_cast<const uint8_t*>(packet_.data()),
                            static_cast<int>(n), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (parser_->output_picture_number == INT_MIN) known_ = false;
    counts_.push_back(parser_->output_picture_number);
}

PictureOrder::Offsets PictureOrder::offsets(const std::vector<int>& counts, const std::vector<bool>& keys) {
    Offsets result;
    const size_t n = counts.size();
    if (n == 0 || keys.size() != n) return result;
    std::vector<size_t> sequence(n, 0);
    int highest = counts[0];
    for (size_t i = 1; i < n; ++i) {
        const bool restart = keys[i] && counts[i] <= highest;
        sequence[i] = sequence[i - 1] + (restart ? 1 : 0);
        highest = restart ? counts[i] : std::max(highest, counts[i]);
    }
    std::vector<size_t> shown(n);
    std::iota(shown.begin(), shown.end(), size_t{0});
    std::stable_sort(shown.begin(), shown.end(), [&](size_t a, size_t b) {
        return sequence[a] != sequence[b] ? sequence[a] < sequence[b] : counts[a] < counts[b];
    });
    std::vector<size_t> rank(n);
    for (size_t r = 0; r < n; ++r) rank[shown[r]] = r;
    size_t delay = 0;
    for (size_t i = 0; i < n; ++i)
        if (i > rank[i]) delay = std::max(delay, i - rank[i]);
    bool reordered = false;
    for (size_t i = 0; i < n && !reordered; ++i) reordered = rank[i] != i;
    if (!reordered) return result;
    // A decoder holds at most 16 pictures back, so counts that move a picture
    // further are not believed (and no offset can overflow).
    for (size_t i = 0; i < n; ++i)
        if (rank[i] + delay - i > kMaxShift) return result;
    result.delay = static_cast<uint32_t>(delay);
    result.frames.resize(n);
    for (size_t i = 0; i < n; ++i) result.frames[i] = static_cast<uint32_t>(rank[i] + delay - i);
    return result;
}
