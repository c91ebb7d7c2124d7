#include "evidence/FrameHashes.h"

#include "evidence/FolderFile.h"
#include "evidence/OpenSsl.h"
#include "platform/FileSystem.h"
#include "trackindex/Libav.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

namespace {

struct InputCloser {
    void operator()(AVFormatContext* f) const { libav().avformat_close_input(&f); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { libav().avcodec_free_context(&c); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { libav().av_packet_free(&p); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { libav().av_frame_free(&f); }
};
struct Md5Free {
    void operator()(AVMD5* m) const { libav().av_free(m); }
};

// What FFmpeg's command line does between the decoder and the framemd5
// muxer for "-ss IN -i CLIP -t LENGTH": the frames from IN on (their times
// moved so that IN is 0), for LENGTH from the first one kept, on the
// encoder's clock of one tick per frame, kept in step as its variable-rate
// sync does.
class Hasher {
public:
    Hasher(const AVStream& stream, AVRational frameRate, int64_t lengthMicros)
        : streamBase_(stream.time_base),
          outputBase_{frameRate.den, frameRate.num},
          lengthTicks_(libav().av_rescale_q(lengthMicros, AVRational{1, AV_TIME_BASE}, stream.time_base)) {}

    // false once the stretch is over.
    bool take(const AVFrame& frame, int64_t offset, std::string& text) {
        const Libav& av = libav();
        const int64_t best = frame.best_effort_timestamp;
        if (best == AV_NOPTS_VALUE) return true;
        const int64_t pts = best - offset;
        if (pts < 0) return true;
        if (first_ == AV_NOPTS_VALUE) first_ = pts;
        if (lengthTicks_ > 0 && pts - first_ >= lengthTicks_) return false;
        if (!started_) header(frame, text);
        double duration = 1.0;
        if (frame.pkt_duration > 0) {
            const long ticks = std::lrint(static_cast<double>(frame.pkt_duration) * av_q2d(streamBase_) /
                                          av_q2d(outputBase_));
            if (ticks > 0) duration = static_cast<double>(ticks);
        }
        double syncPts = precisePts(pts);
        double delta0 = syncPts - static_cast<double>(next_);
        const double delta = delta0 + duration;
        if (delta0 < 0 && delta > 0) {
            syncPts = static_cast<double>(next_);
            delta0 = 0;
        }
        if (delta <= -0.6) return true;  // a frame behind the clock is dropped
        if (delta > 0.6) next_ = std::llrint(syncPts);
        const int size = av.av_image_get_buffer_size(static_cast<AVPixelFormat>(frame.format), frame.width,
                                                     frame.height, 1);
        if (size <= 0) return true;
        std::unique_ptr<AVMD5, Md5Free> md5(av.av_md5_alloc());
        uint8_t digest[16];
        av.av_md5_init(md5.get());
        hashPicture(frame, md5.get(), size);
        av.av_md5_final(md5.get(), digest);
        char line[96];
        std::snprintf(line, sizeof line, "0, %10" PRId64 ", %10" PRId64 ", %8d, %8d, ", next_, next_, 1, size);
        text += line;
        text += OpenSsl::hex(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
        text += '\n';
        ++next_;
        return true;
    }

    bool started() const { return started_; }

    // The picture's bytes as FFmpeg's rawvideo lays them out (planes one
    // after the other, rows without padding), hashed straight from the
    // frame's planes: the same bytes as copying them out first, without the
    // copy. Palettes and other special layouts are copied as FFmpeg does.
    void hashPicture(const AVFrame& frame, AVMD5* md5, int size) {
        const Libav& av = libav();
        const auto format = static_cast<AVPixelFormat>(frame.format);
        const AVPixFmtDescriptor* desc = av.av_pix_fmt_desc_get(format);
        int rowBytes[4] = {};
        if (desc != nullptr && (desc->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM)) == 0 &&
            av.av_image_fill_linesizes(rowBytes, format, frame.width) >= 0) {
            int planes = 0;
            for (int c = 0; c < desc->nb_components; ++c) planes = std::max(planes, desc->comp[c].plane + 1);
            int64_t total = 0;
            for (int p = 0; p < planes; ++p) {
                const int rows = p == 1 || p == 2 ? -((-frame.height) >> desc->log2_chroma_h) : frame.height;
                total += static_cast<int64_t>(rowBytes[p]) * rows;
            }
            if (total == size) {
                for (int p = 0; p < planes; ++p) {
                    const int rows = p == 1 || p == 2 ? -((-frame.height) >> desc->log2_chroma_h) : frame.height;
                    const uint8_t* row = frame.data[p];
                    if (frame.linesize[p] == rowBytes[p]) {
                        av.av_md5_update(md5, row, static_cast<size_t>(rowBytes[p]) * static_cast<size_t>(rows));
                        continue;
                    }
                    for (int y = 0; y < rows; ++y, row += frame.linesize[p])
                        av.av_md5_update(md5, row, static_cast<size_t>(rowBytes[p]));
                }
                return;
            }
        }
        buffer_.resize(static_cast<size_t>(size));
        av.av_image_copy_to_buffer(buffer_.data(), size, frame.data, frame.linesize, format, frame.width,
                                   frame.height, 1);
        av.av_md5_update(md5, buffer_.data(), static_cast<size_t>(size));
    }

    void header(const AVFrame& frame, std::string& text) {
        started_ = true;
        const unsigned version = libav().avformat_version();
        const AVRational sar = frame.sample_aspect_ratio.den != 0 ? frame.sample_aspect_ratio : AVRational{0, 1};
        char lines[512];
        std::snprintf(lines, sizeof lines,
                      "#format: frame checksums\n#version: 2\n#hash: MD5\n#software: Lavf%u.%u.%u\n#tb 0: %d/%d\n"
                      "#media_type 0: video\n#codec_id 0: rawvideo\n#dimensions 0: %dx%d\n#sar 0: %d/%d\n"
                      "#stream#, dts,        pts, duration,     size, hash\n",
                      version >> 16, (version >> 8) & 0xff, version & 0xff, outputBase_.num, outputBase_.den,
                      frame.width, frame.height, sar.num, sar.den);
        text += lines;
    }

private:
    // The frame's moment in output ticks with some bits below the tick, as
    // the sync compares it.
    double precisePts(int64_t pts) const {
        AVRational fine = outputBase_;
        int bits = 0;
        for (int den = fine.den; den > 1; den >>= 1) ++bits;
        const int extra = std::clamp(29 - (bits - 1), 0, 16);
        fine.den <<= extra;
        double value = static_cast<double>(libav().av_rescale_q(pts, streamBase_, fine));
        value /= static_cast<double>(1 << extra);
        value += (value > 0 ? 1.0 : value < 0 ? -1.0 : 0.0) / (1 << 17);
        return value;
    }

    AVRational streamBase_;
    AVRational outputBase_;
    int64_t lengthTicks_;
    int64_t first_ = AV_NOPTS_VALUE;
    int64_t next_ = 0;
    bool started_ = false;
    std::vector<uint8_t> buffer_;
};

}  // namespace

bool FrameHashes::ofStretch(const FrameStretch& stretch, std::string& text, std::string& reason,
                            const std::atomic<bool>* stop) {
    const Libav& av = libav();
    const std::string name = platform::fileName(stretch.path);
    if (!av.loaded) {
        reason = "FFmpeg's libraries are missing (" + av.problem + ")";
        return false;
    }
    AVFormatContext* raw = nullptr;
    if (av.avformat_open_input(&raw, ("file:" + stretch.path).c_str(), nullptr, nullptr) < 0) {
        reason = name + ": cannot be opened";
        return false;
    }
    std::unique_ptr<AVFormatContext, InputCloser> input(raw);
    if (av.avformat_find_stream_info(input.get(), nullptr) < 0) {
        reason = name + ": cannot be read";
        return false;
    }
    AVStream* stream = nullptr;
    for (unsigned i = 0; i < input->nb_streams && stream == nullptr; ++i)
        if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) stream = input->streams[i];
    const AVCodec* codec = stream != nullptr ? av.avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
    std::unique_ptr<AVCodecContext, CodecCloser> decoder(codec != nullptr ? av.avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || av.avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) {
        reason = name + ": no video to decode";
        return false;
    }
    decoder->pkt_timebase = stream->time_base;
    decoder->thread_count = 0;  // as many as FFmpeg's command line uses
#ifdef __SANITIZE_THREAD__
    decoder->thread_count = 1;  // FFmpeg's own threads are not instrumented: the checker would see races in them
#endif
    if (av.avcodec_open2(decoder.get(), codec, nullptr) < 0 || stream->time_base.num <= 0 ||
        stream->time_base.den <= 0) {
        reason = name + ": its video cannot be decoded";
        return false;
    }
    const int64_t inMicros = std::llround(std::max(0.0, stretch.inSeconds) * 1e6);
    const int64_t lengthMicros = std::llround(std::max(0.0, stretch.outSeconds - stretch.inSeconds) * 1e6);
    int64_t seekTo = inMicros;
    if (input->start_time != AV_NOPTS_VALUE) seekTo += input->start_time;
    av.avformat_seek_file(input.get(), -1, INT64_MIN, seekTo, seekTo, 0);  // a failed seek reads from the start
    const int64_t offset = av.av_rescale_q(seekTo, AVRational{1, AV_TIME_BASE}, stream->time_base);
    AVRational rate = av.av_guess_frame_rate(input.get(), stream, nullptr);
    if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
    Hasher hasher(*stream, rate, lengthMicros);
    std::unique_ptr<AVPacket, PacketFree> packet(av.av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFree> frame(av.av_frame_alloc());
    std::string out;
    bool going = true;
    const auto drain = [&] {
        while (going && av.avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            going = hasher.take(*frame, offset, out);
            av.av_frame_unref(frame.get());
        }
    };
    while (going && av.av_read_frame(input.get(), packet.get()) >= 0) {
        if (stop != nullptr && stop->load()) {
            reason = "cancelled";
            return false;
        }
        if (packet->stream_index == stream->index && av.avcodec_send_packet(decoder.get(), packet.get()) >= 0)
            drain();
        av.av_packet_unref(packet.get());
    }
    if (going && av.avcodec_send_packet(decoder.get(), nullptr) >= 0) drain();
    if (!hasher.started()) {
        reason = name + ": no frame decodes in the stretch";
        return false;
    }
    text += out;
    return true;
}

bool FrameHashes::write(int folderFd, const std::vector<FrameStretch>& stretches, std::string& sha256,
                        std::string& reason, const std::atomic<bool>* stop) {
    std::string text;
    for (const FrameStretch& stretch : stretches)
        if (!ofStretch(stretch, text, reason, stop)) return false;
    if (!FolderFile::createAt(folderFd, kName, text, reason)) return false;
    sha256 = OpenSsl::hex(OpenSsl::sha256(text));
    return true;
}

namespace {

std::vector<std::string> comparedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("#software:", 0) != 0) lines.push_back(line);
    return lines;
}

}  // namespace

VerifyChecks FrameHashes::check(int folderFd, const std::vector<FrameStretch>& stretches) {
    VerifyCheck line{kName, false, {}};
    std::string stored, reason;
    bool missing = false;
    if (!FolderFile::readAt(folderFd, kName, stored, reason, &missing)) {
        if (missing) return {};
        line.detail = reason;
        return {line};
    }
    const std::vector<std::string> held = comparedLines(stored);
    size_t at = 0, frames = 0;
    for (const FrameStretch& stretch : stretches) {
        std::string text;
        if (!ofStretch(stretch, text, reason)) {
            line.detail = "cannot decode the original: " + reason;
            return {line};
        }
        const std::string name = platform::fileName(stretch.path);
        size_t frame = 0;
        for (const std::string& expected : comparedLines(text)) {
            const bool isFrame = !expected.empty() && expected[0] != '#';
            if (at >= held.size()) {
                line.detail = "ends before frame " + std::to_string(frame) + " of " + name;
                return {line};
            }
            if (held[at] != expected) {
                line.detail = isFrame ? "frame " + std::to_string(frame) + " of " + name + " differs"
                                      : "the header of " + name + "'s frames differs";
                return {line};
            }
            ++at;
            if (isFrame) ++frame, ++frames;
        }
    }
    if (at != held.size()) {
        line.detail = "holds more frames than the originals decode to";
        return {line};
    }
    line.holds = true;
    line.detail = std::to_string(frames) + " frames match the originals";
    return {line};
}
