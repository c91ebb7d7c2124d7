#include "trackindex/NativeTrackReader.h"

#include "trackindex/CueList.h"
#include "trackindex/CueText.h"
#include "trackindex/Libav.h"
#include "trackindex/PlainTextTrack.h"
#include "telemetry/BigEndian.h"
#include "telemetry/IsoFile.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

constexpr int kEncodeBuffer = 1024 * 1024;  // the converter's own limit for one encoded cue
constexpr const char* kCameraHandler = NativeTrackReader::CAMERA_HANDLER;
// Only container demuxers: nothing that opens further files or URLs.
constexpr const char* kFormats = "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,avi,asf,mpeg,mpegts,rm";

struct FormatCloser {
    void operator()(AVFormatContext* f) const { libav().avformat_close_input(&f); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { libav().avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { libav().av_packet_free(&p); }
};
struct IoCloser {
    void operator()(AVIOContext* io) const {
        if (io != nullptr) libav().av_freep(&io->buffer);
        libav().avio_context_free(&io);
    }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;

using Result = NativeTrackReader::Result;

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    libav().av_strerror(code, text, sizeof text);
    return text;
}

// An error of the system rather than of the clip's bytes.
bool momentary(int code) {
    if (code == AVERROR_EXIT) return true;
    for (const int errnum : {EACCES, EPERM, ENOENT, ENOTDIR, EIO, ENOMEM, EINTR, EAGAIN, ENXIO, ENODEV, ESTALE,
                             ETIMEDOUT, EMFILE, ENFILE, EBUSY, ELOOP, ENAMETOOLONG})
        if (code == AVERROR(errnum)) return true;
    return false;
}

bool stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// FFmpeg asks this during every blocking input call: a read on a stalled
// mount gives up once the stop flag is set.
int interruptRead(void* opaque) {
    return stopped(static_cast<const std::atomic<bool>*>(opaque)) ? 1 : 0;
}

struct MemoryInput {
    std::string_view bytes;
    size_t position = 0;

    static int read(void* opaque, uint8_t* buffer, int size) {
        auto* in = static_cast<MemoryInput*>(opaque);
        const size_t n = std::min(static_cast<size_t>(std::max(size, 0)), in->bytes.size() - in->position);
        if (n == 0) return AVERROR_EOF;
        std::memcpy(buffer, in->bytes.data() + in->position, n);
        in->position += n;
        return static_cast<int>(n);
    }
    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* in = static_cast<MemoryInput*>(opaque);
        const auto size = static_cast<int64_t>(in->bytes.size());
        int64_t target = 0;
        switch (whence & ~AVSEEK_FORCE) {
            case AVSEEK_SIZE:
                return size;
            case SEEK_SET:
                target = offset;
                break;
            case SEEK_CUR:
                target = static_cast<int64_t>(in->position) + offset;
                break;
            case SEEK_END:
                target = size + offset;
                break;
            default:
                return AVERROR(EINVAL);
        }
        if (target < 0 || target > size) return AVERROR(EINVAL);
        in->position = static_cast<size_t>(target);
        return target;
    }
};

// FFmpeg sizes a sample table by the count it claims, whatever the input
// holds: a few kilobytes in memory could ask for gigabytes. A table that
// claims more entries than its box holds is refused before FFmpeg sees it,
// so memory stays bounded by the input's size.
bool tablesFit(std::string_view bytes) {
    IsoFile file;
    std::string why;
    if (!file.openBytes(bytes, why)) return true;  // FFmpeg says what it is
    for (const IsoTrack& track : file.tracks()) {
        if (track.stbl.size == 0) continue;
        for (const IsoBox& table : file.children(track.stbl)) {
            uint64_t entryBits = 0;
            size_t countAt = 4;  // after the version and flags
            switch (table.type) {
                case fourcc("stts"):
                case fourcc("ctts"):
                case fourcc("co64"):
                    entryBits = 64;
                    break;
                case fourcc("stsc"):
                    entryBits = 96;
                    break;
                case fourcc("stco"):
                case fourcc("stss"):
                case fourcc("stps"):
                    entryBits = 32;
                    break;
                case fourcc("stsz"):
                case fourcc("stz2"):
                    countAt = 8;  // after the sample size or the field size
                    break;
                default:
                    continue;
            }
            std::string head;
            if (!file.read(table.payloadOffset(), static_cast<size_t>(std::min<uint64_t>(table.payloadSize(), 12)), head) ||
                head.size() < countAt + 4)
                return false;
            if (table.type == fourcc("stsz")) entryBits = bigEndian::u32(head, 4) == 0 ? 32 : 0;
            if (table.type == fourcc("stz2")) entryBits = static_cast<uint8_t>(head[7]);
            const uint64_t room = (table.payloadSize() - countAt - 4) * 8;
            if (uint64_t{bigEndian::u32(head, countAt)} * entryBits > room) return false;
        }
    }
    return true;
}

// The subtitle stream the track is read from, or -1.
int trackStream(const AVFormatContext* format) {
    int first = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* st = format->streams[i];
        if (st->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) continue;
        const AVCodecDescriptor* descriptor = libav().avcodec_descriptor_get(st->codecpar->codec_id);
        if (descriptor == nullptr || !(descriptor->props & AV_CODEC_PROP_TEXT_SUB)) continue;
        const AVDictionaryEntry* handler = libav().av_dict_get(st->metadata, "handler_name", nullptr, 0);
        if (handler != nullptr && std::strcmp(handler->value, kCameraHandler) == 0) return static_cast<int>(i);
        if (first < 0) first = static_cast<int>(i);
    }
    return first;
}

bool anySubtitle(const AVFormatContext* format) {
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) return true;
    return false;
}

// The converter shifts every time by the clip's start, the earliest start
// of any of its streams.
int64_t clipStart(const AVFormatContext* format) {
    int64_t start = AV_NOPTS_VALUE;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* st = format->streams[i];
        if (st->start_time == AV_NOPTS_VALUE) continue;
        const int64_t t = libav().av_rescale_q(st->start_time, st->time_base, AV_TIME_BASE_Q);
        if (start == AV_NOPTS_VALUE || t < start) start = t;
    }
    return start == AV_NOPTS_VALUE ? 0 : start;
}

class CueDecoder {
public:
    bool open(const AVStream* st, std::string& reason) {
        const AVCodec* decoder = libav().avcodec_find_decoder(st->codecpar->codec_id);
        const AVCodec* encoder = libav().avcodec_find_encoder(AV_CODEC_ID_SUBRIP);
        if (decoder == nullptr || encoder == nullptr) {
            reason = "has no subtitle track that can be read as text";
            return false;
        }
        decoder_.reset(libav().avcodec_alloc_context3(decoder));
        encoder_.reset(libav().avcodec_alloc_context3(encoder));
        if (!decoder_ || !encoder_ || libav().avcodec_parameters_to_context(decoder_.get(), st->codecpar) < 0) {
            reason = "out of memory";
            return false;
        }
        decoder_->pkt_timebase = st->time_base;
        if (int rc = libav().avcodec_open2(decoder_.get(), decoder, nullptr); rc < 0) {
            reason = "has no subtitle track that can be read as text (" + avError(rc) + ")";
            return false;
        }
        // The encoder styles its text after the decoder's header, as the converter's does.
        encoder_->time_base = AV_TIME_BASE_Q;
        if (decoder_->subtitle_header != nullptr && decoder_->subtitle_header_size > 0) {
            encoder_->subtitle_header = static_cast<uint8_t*>(libav().av_mallocz(decoder_->subtitle_header_size + 1));
            if (encoder_->subtitle_header == nullptr) {
                reason = "out of memory";
                return false;
            }
            std::memcpy(encoder_->subtitle_header, decoder_->subtitle_header, decoder_->subtitle_header_size);
            encoder_->subtitle_header_size = decoder_->subtitle_header_size;
        }
        if (int rc = libav().avcodec_open2(encoder_.get(), encoder, nullptr); rc < 0) {
            reason = "cannot convert the subtitle track to text (" + avError(rc) + ")";
            return false;
        }
        buffer_.resize(kEncodeBuffer);
        if (st->codecpar->codec_id == AV_CODEC_ID_MOV_TEXT) learnWrapping();
        return true;
    }

    // False when the converter would have stopped here.
    bool cue(AVPacket* packet, uint64_t& number, CueSink& cues) {
        if (wrapped_ && packet->size >= 2 && packet->pts != AV_NOPTS_VALUE) {
            const size_t length = (static_cast<size_t>(packet->data[0]) << 8) | packet->data[1];
            const uint8_t* text = packet->data + 2;
            if (length + 2 == static_cast<size_t>(packet->size) && CueText::plain(text, length)) {
                const int64_t us = libav().av_rescale_q(packet->pts, decoder_->pkt_timebase, AV_TIME_BASE_Q);
                // As the decoder fills the cue's display time: unsigned milliseconds.
                const uint32_t duration = packet->duration != 0
                                              ? static_cast<uint32_t>(libav().av_rescale_q(
                                                    packet->duration, decoder_->pkt_timebase, AVRational{1, 1000}))
                                              : 0;
                plain_.assign(prefix_);
                plain_.append(reinterpret_cast<const char*>(text), length);
                plain_.append(suffix_);
                return add(us, duration, reinterpret_cast<const uint8_t*>(plain_.data()), plain_.size(), number, cues);
            }
        }
        AVSubtitle sub;
        int got = 0;
        const int rc = libav().avcodec_decode_subtitle2(decoder_.get(), &sub, &got, packet);
        if (rc < 0 || got == 0) return true;
        bool going = true;
        if (sub.num_rects > 0 && sub.pts != AV_NOPTS_VALUE) going = encode(sub, number, cues);
        libav().avsubtitle_free(&sub);
        return going;
    }

private:
    // Runs two plain samples through the coders to learn what the style
    // puts around a text; the short way is only taken when both agree.
    void learnWrapping() {
        const auto encoded = [this](const char* text, std::string& out) {
            const uint8_t length = static_cast<uint8_t>(std::strlen(text));
            std::unique_ptr<AVPacket, PacketFreer> packet(libav().av_packet_alloc());
            if (!packet || libav().av_new_packet(packet.get(), length + 2) < 0) return false;
            packet->data[0] = 0;
            packet->data[1] = length;
            std::memcpy(packet->data + 2, text, length);
            packet->pts = 0;
            AVSubtitle sub;
            int got = 0;
            if (libav().avcodec_decode_subtitle2(decoder_.get(), &sub, &got, packet.get()) < 0 || got == 0)
                return false;
            const int size = sub.num_rects > 0
                                 ? libav().avcodec_encode_subtitle(encoder_.get(), buffer_.data(), kEncodeBuffer, &sub)
                                 : -1;
            libav().avsubtitle_free(&sub);
            if (size < 0) return false;
            out.assign(reinterpret_cast<const char*>(buffer_.data()), static_cast<size_t>(size));
            return true;
        };
        std::string one, two;
        if (!encoded("X", one) || !encoded("YZ", two)) return;
        const size_t at = one.find('X');
        if (at == std::string::npos) return;
        prefix_ = one.substr(0, at);
        suffix_ = one.substr(at + 1);
        wrapped_ = two == prefix_ + "YZ" + suffix_;
    }

    bool encode(AVSubtitle& sub, uint64_t& number, CueSink& cues) {
        if (__builtin_add_overflow(
                sub.pts, libav().av_rescale_q(sub.start_display_time, AVRational{1, 1000}, AV_TIME_BASE_Q), &sub.pts))
            return true;
        sub.end_display_time -= sub.start_display_time;
        sub.start_display_time = 0;
        const int size = libav().avcodec_encode_subtitle(encoder_.get(), buffer_.data(), kEncodeBuffer, &sub);
        if (size < 0) return false;
        return add(sub.pts, sub.end_display_time, buffer_.data(), static_cast<size_t>(size), number, cues);
    }

    bool add(int64_t ptsUs, int64_t durationMs, const uint8_t* text, size_t length, uint64_t& number, CueSink& cues) {
        const int64_t start =
            libav().av_rescale_q_rnd(ptsUs, AV_TIME_BASE_Q, AVRational{1, 1000},
                                     static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        int64_t end = 0;
        if (__builtin_add_overflow(start, durationMs, &end)) end = start;  // only a hostile clip gets here
        CueText::frame(number++, start, end, text, length, framed_);
        cues.cue(start, durationMs, framed_);
        return true;
    }

    CodecPtr decoder_;
    CodecPtr encoder_;
    std::vector<uint8_t> buffer_;
    bool wrapped_ = false;
    std::string prefix_, suffix_;
    std::string plain_;
    std::string framed_;
};

Result readOpened(AVFormatContext* format, const std::atomic<bool>* stop, CueSink& cues, std::string& reason) {
    const int index = trackStream(format);
    if (index < 0) {
        reason = anySubtitle(format) ? "has no subtitle track that can be read as text" : "has no subtitle track";
        return Result::Failed;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVStream* st = format->streams[index];
    CueDecoder decoder;
    if (!decoder.open(st, reason)) return reason == "out of memory" ? Result::Unavailable : Result::Failed;

    const int64_t offset = libav().av_rescale_q(clipStart(format), AV_TIME_BASE_Q, st->time_base);
    std::unique_ptr<AVPacket, PacketFreer> packet(libav().av_packet_alloc());
    if (!packet) {
        reason = "out of memory";
        return Result::Unavailable;
    }
    if (st->nb_frames > 0) cues.expect(static_cast<size_t>(std::min<int64_t>(st->nb_frames, 250'000)));
    uint64_t number = 1;
    int rc = 0;
    bool cut = false;
    while (!stopped(stop) && (rc = libav().av_read_frame(format, packet.get())) >= 0) {
        bool going = true;
        if (packet->stream_index == index && number > NativeTrackReader::CUE_LIMIT) {
            cut = true;
            going = false;
        } else if (packet->stream_index == index) {
            // A time that cannot be shifted is no time (only a hostile clip has one).
            if (packet->pts != AV_NOPTS_VALUE && __builtin_sub_overflow(packet->pts, offset, &packet->pts))
                packet->pts = AV_NOPTS_VALUE;
            if (packet->dts != AV_NOPTS_VALUE && __builtin_sub_overflow(packet->dts, offset, &packet->dts))
                packet->dts = AV_NOPTS_VALUE;
            going = decoder.cue(packet.get(), number, cues);
        }
        libav().av_packet_unref(packet.get());
        if (!going) break;
    }
    if (stopped(stop) || (rc < 0 && momentary(rc))) {
        cues.restart();
        reason = stopped(stop) ? "was not read to the end (stopped)" : "cannot be read: " + avError(rc);
        return Result::Unavailable;
    }
    if (cut) {
        reason = "has more than " + std::to_string(NativeTrackReader::CUE_LIMIT) +
                 " track cues; only the first ones are read";
        return Result::Truncated;
    }
    if (number == 1) {
        reason = rc < 0 && rc != AVERROR_EOF ? "is damaged: " + avError(rc) : "has an empty subtitle track";
        return Result::Failed;
    }
    return Result::Track;
}

AVDictionary* openOptions(bool file) {
    AVDictionary* options = nullptr;
    libav().av_dict_set(&options, "format_whitelist", kFormats, 0);
    if (file) libav().av_dict_set(&options, "protocol_whitelist", "file", 0);
    return options;
}

std::string openFailure(int rc) {
    return "is not a video file or is damaged (" + avError(rc) + ")";
}

}  // namespace

Result NativeTrackReader::read(const std::string& path, std::vector<TrackCue>& cues, std::string& reason) {
    CueList list(cues);
    return read(path, static_cast<CueSink&>(list), reason);
}

Result NativeTrackReader::read(const std::string& path, CueSink& cues, std::string& reason) {
    reason.clear();
    // Anything but a regular file (a FIFO, a device) could block the read.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return Result::Unavailable;
    }
    if (S_ISDIR(st.st_mode)) {
        reason = "is a folder, not a video file";
        return Result::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = "is not a regular file";
        return Result::Failed;
    }
    if (st.st_size == 0) {
        reason = "is empty";
        return Result::Failed;
    }
    switch (PlainTextTrack::read(path, stop_, cues)) {
        case PlainTextTrack::Outcome::Read:
            return Result::Track;
        case PlainTextTrack::Outcome::Stopped:
            cues.restart();
            reason = "was not read to the end (stopped)";
            return Result::Unavailable;
        case PlainTextTrack::Outcome::NotPlain:
            cues.restart();
            break;
    }
    if (!libav().loaded) {
        reason = "cannot be read in-process: " + libav().problem;
        return Result::Unavailable;
    }
    AVFormatContext* raw = libav().avformat_alloc_context();
    if (raw == nullptr) {
        reason = "out of memory";
        return Result::Unavailable;
    }
    raw->interrupt_callback = AVIOInterruptCB{&interruptRead, const_cast<std::atomic<bool>*>(stop_)};
    AVDictionary* options = openOptions(true);
    // "file:" keeps a name with a colon from being read as another protocol.
    const int rc =
        libav().avformat_open_input(&raw, ("file:" + path).c_str(), nullptr, &options);  // frees raw on failure
    libav().av_dict_free(&options);
    if (rc < 0) {
        const bool moment = momentary(rc) || stopped(stop_);
        reason = moment ? "cannot be read: " + avError(rc) : openFailure(rc);
        return moment ? Result::Unavailable : Result::Failed;
    }
    FormatPtr format(raw);
    return readOpened(format.get(), stop_, cues, reason);
}

Result NativeTrackReader::readBytes(std::string_view bytes, std::vector<TrackCue>& cues, std::string& reason) {
    CueList list(cues);
    reason.clear();
    if (bytes.empty()) {
        reason = "is empty";
        return Result::Failed;
    }
    if (!libav().loaded) {
        reason = "cannot be read in-process: " + libav().problem;
        return Result::Unavailable;
    }
    if (!tablesFit(bytes)) {
        reason = "is damaged (a sample table claims more entries than it holds)";
        return Result::Failed;
    }
    MemoryInput input{bytes, 0};
    constexpr int kBuffer = 4096;
    auto* buffer = static_cast<unsigned char*>(libav().av_malloc(kBuffer));
    if (buffer == nullptr) {
        reason = "out of memory";
        return Result::Unavailable;
    }
    std::unique_ptr<AVIOContext, IoCloser> io(
        libav().avio_alloc_context(buffer, kBuffer, 0, &input, &MemoryInput::read, nullptr, &MemoryInput::seek));
    if (!io) {
        libav().av_free(buffer);
        reason = "out of memory";
        return Result::Unavailable;
    }
    AVFormatContext* raw = libav().avformat_alloc_context();
    if (raw == nullptr) {
        reason = "out of memory";
        return Result::Unavailable;
    }
    raw->pb = io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = openOptions(false);
    const int rc = libav().avformat_open_input(&raw, nullptr, nullptr, &options);  // frees raw on failure
    libav().av_dict_free(&options);
    if (rc < 0) {
        reason = openFailure(rc);
        return Result::Failed;
    }
    FormatPtr format(raw);
    const Result result = readOpened(format.get(), stop_, list, reason);
    format.reset();  // before the I/O context it reads from
    return result;
}
