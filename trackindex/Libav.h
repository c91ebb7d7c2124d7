#pragma once
// FFmpeg's libraries (libavutil, libavcodec, libavformat), loaded on first
// use instead of at program start: they pull in some 130 shared libraries,
// which costs a start of the tool about 30 ms of CPU, and most runs over an
// index never need them. The functions the reader uses are looked up once.
//
// Threads: any; the first call of libav() (or libavCodecs()) loads, under std::call_once, and
// the table is read-only afterwards. Nothing is ever unloaded.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/imgutils.h>
#include <libavutil/md5.h>
#include <libavutil/pixdesc.h>
#include <libavutil/mem.h>
}

#include <string>

// libavutil's and libavcodec's functions.
#define VELTARA_LIBAV_CODEC_FUNCTIONS(X)                                                                            \
    X(av_dict_free) X(av_dict_get) X(av_dict_set) X(av_free) X(av_freep) X(av_log_set_level) X(av_malloc)           \
        X(av_mallocz) X(av_new_packet) X(av_packet_alloc) X(av_packet_free) X(av_packet_unref) X(av_rescale_q)      \
            X(av_rescale_q_rnd) X(av_strerror) X(avcodec_alloc_context3) X(avcodec_decode_subtitle2)                \
                X(avcodec_descriptor_get) X(avcodec_encode_subtitle) X(avcodec_find_decoder)                        \
                    X(avcodec_find_encoder) X(avcodec_free_context) X(avcodec_open2)                                \
                        X(avcodec_parameters_to_context) X(avsubtitle_free) X(avcodec_send_packet)                  \
                            X(avcodec_receive_frame) X(avcodec_flush_buffers) X(av_frame_alloc) X(av_frame_free)    \
                                X(av_parser_init) X(av_parser_parse2) X(av_parser_close) X(av_md5_alloc)            \
                                    X(av_md5_init) X(av_md5_update) X(av_md5_final) X(av_image_copy_to_buffer)      \
                                        X(av_image_get_buffer_size) X(av_frame_unref) X(av_pix_fmt_desc_get)        \
                                            X(av_image_fill_linesizes)
// libavformat's.
#define VELTARA_LIBAV_FORMAT_FUNCTIONS(X)                                                                           \
    X(av_read_frame) X(avformat_alloc_context) X(avformat_close_input) X(avformat_open_input) X(avio_alloc_context) \
        X(avio_context_free) X(avformat_find_stream_info) X(avformat_seek_file) X(av_guess_frame_rate)              \
            X(avformat_version)
#define VELTARA_LIBAV_FUNCTIONS(X) VELTARA_LIBAV_CODEC_FUNCTIONS(X) VELTARA_LIBAV_FORMAT_FUNCTIONS(X)

struct Libav {
#define VELTARA_LIBAV_MEMBER(name) decltype(&::name) name = nullptr;
    VELTARA_LIBAV_FUNCTIONS(VELTARA_LIBAV_MEMBER)
#undef VELTARA_LIBAV_MEMBER

    bool loaded = false;
    std::string problem;  // why not, when not loaded
};

// The table; check loaded before use.
const Libav& libav();
// A table of libavutil and libavcodec alone, whose format functions are null:
// for callers that find their packets themselves, sparing the load of
// libavformat and what it pulls in (some 20 ms of CPU). Loaded on its first
// call, as libav(), and independent of it.
const Libav& libavCodecs();
