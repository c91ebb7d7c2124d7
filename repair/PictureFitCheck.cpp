#include "repair/PictureFitCheck.h"

#include "trackindex/Libav.h"

#include <cstring>

namespace pictureFit {

bool fits(const std::string& parameterSets, bool hevc, const std::string& keyPicture) {
    const Libav& av = libavCodecs();
    if (!av.loaded) return true;
    const AVCodec* codec = av.avcodec_find_decoder(hevc ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264);
    if (codec == nullptr) return true;
    AVCodecContext* context = av.avcodec_alloc_context3(codec);
    AVPacket* packet = av.av_packet_alloc();
    AVFrame* frame = av.av_frame_alloc();
    bool ok = false;
    if (context != nullptr && packet != nullptr && frame != nullptr) {
        context->extradata = static_cast<uint8_t*>(av.av_mallocz(parameterSets.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        context->thread_count = 1;
        context->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
        if (context->extradata != nullptr) {
            std::memcpy(context->extradata, parameterSets.data(), parameterSets.size());
            context->extradata_size = static_cast<int>(parameterSets.size());
        }
        if (context->extradata != nullptr && av.avcodec_open2(context, codec, nullptr) >= 0 &&
            av.av_new_packet(packet, static_cast<int>(keyPicture.size())) >= 0) {
            std::memcpy(packet->data, keyPicture.data(), keyPicture.size());
            packet->flags |= AV_PKT_FLAG_KEY;
            bool failed = av.avcodec_send_packet(context, packet) < 0 || av.avcodec_send_packet(context, nullptr) < 0;
            int frames = 0;
            while (!failed) {
                const int r = av.avcodec_receive_frame(context, frame);
                if (r == AVERROR_EOF) break;
                if (r < 0 || frame->decode_error_flags != 0 ||
                    (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0) {
                    failed = true;
                    break;
                }
                ++frames;
            }
            ok = !failed && frames > 0;
        }
    }
    if (packet != nullptr) av.av_packet_free(&packet);
    if (frame != nullptr) av.av_frame_free(&frame);
    if (context != nullptr) av.avcodec_free_context(&context);
    return ok;
}

}  // namespace pictureFit
