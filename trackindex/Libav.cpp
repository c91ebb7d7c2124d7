#include "trackindex/Libav.h"

#include <dlfcn.h>
#include <mutex>

namespace {

#define VELTARA_TEXT(x) #x
#define VELTARA_SONAME(lib, major) "lib" lib ".so." VELTARA_TEXT(major)

void* openLibrary(const char* name, std::string& problem) {
    void* handle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && problem.empty()) {
        const char* why = ::dlerror();
        problem = std::string("cannot load ") + name + (why != nullptr ? std::string(": ") + why : "");
    }
    return handle;
}

Libav load(bool formats) {
    Libav api;
    // The versions the program was built against: their functions keep the
    // signatures of these headers.
    void* const handles[] = {
        openLibrary(VELTARA_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), api.problem),
        openLibrary(VELTARA_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), api.problem),
        formats ? openLibrary(VELTARA_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR), api.problem) : nullptr};
    if (!api.problem.empty()) return api;
    const auto find = [&](const char* name) -> void* {
        for (void* handle : handles)
            if (handle != nullptr)
                if (void* symbol = ::dlsym(handle, name)) return symbol;
        if (api.problem.empty()) api.problem = std::string("FFmpeg has no ") + name;
        return nullptr;
    };
#define VELTARA_LIBAV_LOOKUP(name) api.name = reinterpret_cast<decltype(&::name)>(find(#name));
    VELTARA_LIBAV_CODEC_FUNCTIONS(VELTARA_LIBAV_LOOKUP)
    if (formats) {
        VELTARA_LIBAV_FORMAT_FUNCTIONS(VELTARA_LIBAV_LOOKUP)
    }
#undef VELTARA_LIBAV_LOOKUP
    api.loaded = api.problem.empty();
    if (api.loaded) api.av_log_set_level(AV_LOG_QUIET);  // reasons are reported, not logged
    return api;
}

}  // namespace

const Libav& libav() {
    static std::once_flag once;
    static Libav api;
    std::call_once(once, [] { api = load(true); });
    return api;
}

const Libav& libavCodecs() {
    static std::once_flag once;
    static Libav api;
    std::call_once(once, [] { api = load(false); });
    return api;
}
