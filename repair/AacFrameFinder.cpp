#include "repair/AacFrameFinder.h"

#include "trackindex/Libav.h"

#include <algorithm>
#include <cstring>

AacFrameFinder::AacFrameFinder(const std::string& audioConfig, uint32_t channels)
    : maxFrame_(768 * std::clamp<size_t>(channels, 1, 8)) {
    const Libav& av = libavCodecs();
    if (!av.loaded || audioConfig.empty()) return;
    const AVCodec* codec = av.avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) return;
    AVCodecContext* context = av.avcodec_alloc_context3(codec);
    if (context == nullptr) return;
    context->extradata = static_cast<uint8_t*>(av.av_mallocz(audioConfig.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata != nullptr) {
        std::memcpy(context->extradata, audioConfig.data(), audioConfig.size());
        context->extradata_size = static_cast<int>(audioConfig.size());
    }
    packet_ = av.av_packet_alloc();
    frame_ = av.av_frame_alloc();
    if (context->extradata == nullptr || packet_ == nullptr || frame_ == nullptr ||
        av.avcodec_open2(context, codec, nullptr) < 0) {
        av.avcodec_free_context(&context);
        return;
    }
    context_ = context;
}

AacFrameFinder::~AacFrameFinder() {
    const Libav& av = libavCodecs();
    if (!av.loaded) return;
    if (context_ != nullptr) av.avcodec_free_context(&context_);
    if (packet_ != nullptr) av.av_packet_free(&packet_);
    if (frame_ != nullptr) av.av_frame_free(&frame_);
}

bool AacFrameFinder::decodes(const unsigned char* bytes, size_t n) {
    const Libav& av = libavCodecs();
    av.avcodec_flush_buffers(context_);
    if (av.av_new_packet(packet_, static_cast<int>(n)) < 0) return false;
    std::memcpy(packet_->data, bytes, n);
    bool ok = av.avcodec_send_packet(context_, packet_) >= 0 && av.avcodec_receive_frame(context_, frame_) >= 0;
    av.av_packet_unref(packet_);
    return ok;
}

void AacFrameFinder::decodeRun(uint64_t at, const unsigned char* bytes, size_t size, bool otherFollows) {
    const Libav& av = libavCodecs();
    known_.clear();
    nextKnown_ = 0;
    av.avcodec_flush_buffers(context_);
    if (av.av_new_packet(packet_, static_cast<int>(size)) < 0) return;
    std::memcpy(packet_->data, bytes, size);
    const bool sent = av.avcodec_send_packet(context_, packet_) >= 0;
    av.av_packet_unref(packet_);
    // A frame begins where the packet has as many bytes left as its stamp
    // says; it ends where the next one begins.
    size_t begins = 0;
    bool any = false;
    int received = 0;
    while (sent && (received = av.avcodec_receive_frame(context_, frame_)) >= 0) {
#if LIBAVUTIL_VERSION_MAJOR < 59
        const int left = frame_->pkt_size;
#else
        const int left = -1;  // later FFmpeg no longer tells: every frame is searched for
#endif
        if (left <= 0 || static_cast<size_t>(left) > size - begins) break;  // not told, or not as expected
        const size_t next = size - static_cast<size_t>(left);
        if (any ? next <= begins || next - begins > maxFrame_ : next != 0) break;
        if (any) known_.emplace_back(at + begins, next - begins);
        begins = next;
        any = true;
    }
    // The decoder asks for more only once it took the whole packet: the last
    // frame ends at the packet's end, unless zeros it skips end the packet.
    if (any && received == AVERROR(EAGAIN) && otherFollows && bytes[size - 1] != 0 && size - begins <= maxFrame_)
        known_.emplace_back(at + begins, size - begins);
    av.avcodec_flush_buffers(context_);
}

size_t AacFrameFinder::frameLength(uint64_t at, const unsigned char* bytes, size_t size, size_t otherAt) {
    if (context_ == nullptr || size == 0) return 0;
    while (nextKnown_ < known_.size() && known_[nextKnown_].first < at) ++nextKnown_;
    if (nextKnown_ == known_.size() || known_[nextKnown_].first != at) {
        const bool bounded = otherAt != 0 && otherAt <= size;
        decodeRun(at, bytes, bounded ? otherAt : size, bounded);
    }
    if (nextKnown_ < known_.size() && known_[nextKnown_].first == at) return lastLength_ = known_[nextKnown_++].second;
    return searched(bytes, size);
}

size_t AacFrameFinder::searched(const unsigned char* bytes, size_t size) {
    size_t hi = std::min(size, maxFrame_);
    if (!decodes(bytes, hi)) return 0;
    // Frames of one clip are of similar length: look near the last one first.
    size_t lo = 0;  // known not to decode
    if (lastLength_ > 0 && lastLength_ < hi) {
        const size_t step = std::max<size_t>(lastLength_ / 8, 16);
        const size_t below = lastLength_ > step ? lastLength_ - step : 0;
        const size_t above = std::min(hi, lastLength_ + step);
        if (below > 0 && !decodes(bytes, below)) {
            lo = below;
            if (decodes(bytes, above)) hi = above;
        }
    }
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        (decodes(bytes, mid) ? hi : lo) = mid;
    }
    lastLength_ = hi;
    return hi;
}
