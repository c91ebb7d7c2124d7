#include "engine/OutputDrivers.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace engine {

namespace {

// Fallback lists: the software output first, OpenGL where it fails, and the
// null output last, so that without any usable display the clip still plays
// with sound and track (libmpv ends a file whose video output fails before
// its audio has started).
constexpr const char* kSoftwareVo = "x11,gpu,null";
constexpr const char* kOpenGlVo = "gpu,x11,null";

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// "driver:sub:opts" -> "driver"; a driver list "a,b," keeps its first entry.
std::string driverName(std::string_view value) {
    const auto end = value.find_first_of(":,");
    return lowered(value.substr(0, end));
}

// The value of "device=N" among the sub-options after the driver name.
int deviceOption(std::string_view value) {
    size_t pos = value.find(':');
    while (pos != std::string_view::npos) {
        const size_t next = value.find(':', pos + 1);
        const std::string_view part = value.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1);
        if (lowered(part.substr(0, 7)) == "device=") {
            int n = -1;
            const auto digits = part.substr(7);
            const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
            if (ec == std::errc() && ptr == digits.data() + digits.size() && n >= 0) return n;
            return -1;
        }
        pos = next;
    }
    return -1;
}

}  // namespace

VideoDriver mapVideoOutput(std::string_view value) {
    const std::string name = driverName(value);
    if (name == "null") return {"null", true};
    if (name == "directx" || name == "x11" || name == "xv") return {kSoftwareVo, true};
    if (name.starts_with("gl") || name == "opengl" || name == "gpu") return {kOpenGlVo, true};
    return {kSoftwareVo, false};
}

AudioDriver mapAudioOutput(std::string_view value) {
    const std::string name = driverName(value);
    if (name == "dsound") return {"", deviceOption(value), true};
    if (name == "win32") return {"", -1, true};
    if (name == "null") return {"null", -1, true};
    for (const char* shared : {"alsa", "pulse", "pipewire", "jack", "sdl", "oss"})
        if (name == shared) return {name, -1, true};
    return {"", -1, false};
}

}  // namespace engine
