#include "config/ProgramVersion.h"

#include "config/Version.h"

extern "C" {
#include <libavformat/version.h>
#include <libavutil/version.h>
}

#include <dlfcn.h>

#ifndef VELTARA_LIBMPV_SONAME
#define VELTARA_LIBMPV_SONAME "libmpv.so.2"
#endif

namespace {

#define VELTARA_TEXT(x) #x
#define VELTARA_SONAME(lib, major) "lib" lib ".so." VELTARA_TEXT(major)

// A library opened for one question and left loaded: closing it would
// unmap what its own start-up (and that of the libraries it pulls in)
// allocated while the memory is still held, and the process may ask again.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : handle_(::dlopen(name, RTLD_LAZY | RTLD_LOCAL)) {}
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    template <typename Function>
    Function* find(const char* name) const {
        return handle_ != nullptr ? reinterpret_cast<Function*>(::dlsym(handle_, name)) : nullptr;
    }

private:
    void* handle_;
};

std::string dotted(unsigned version) {
    return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
           std::to_string(version & 0xFF);
}

std::string ffmpegLine() {
    // The majors the program was built against, as the reader loads them.
    const LoadedLibrary avutil(VELTARA_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR));
    const LoadedLibrary avformat(VELTARA_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR));
    const auto versionInfo = avutil.find<const char*()>("av_version_info");
    const auto formatVersion = avformat.find<unsigned()>("avformat_version");
    if (versionInfo == nullptr || formatVersion == nullptr)
        return "FFmpeg: not found (" VELTARA_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR) ")";
    const char* info = versionInfo();
    return std::string("FFmpeg ") + (info != nullptr ? info : "?") + " (libavformat " + dotted(formatVersion()) + ")";
}

std::string mpvLine() {
    const LoadedLibrary mpv(VELTARA_LIBMPV_SONAME);
    const auto apiVersion = mpv.find<unsigned long()>("mpv_client_api_version");
    if (apiVersion == nullptr) return "libmpv: not found (" VELTARA_LIBMPV_SONAME ")";
    const unsigned long version = apiVersion();
    return "libmpv " + std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF) + " (client API)";
}

}  // namespace

std::string programVersionText(std::string_view program) {
    std::string text(program);
    text += " " VELTARA_VERSION "\n";
    text += ffmpegLine() + "\n";
    text += mpvLine() + "\n";
    return text;
}
