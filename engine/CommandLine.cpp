#include "engine/CommandLine.h"

#include "engine/OutputDrivers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace engine {

namespace {

constexpr size_t kMaxCameras = 8;  // a car has six; the rest of a crafted list is not opened

// Whole-string number parsing; nothing for garbage, blanks or overflow.
std::optional<long long> wholeNumber(const std::string& text, int base) {
    if (text.empty() || text.front() == ' ') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long n = std::strtoll(text.c_str(), &end, base);
    if (errno != 0 || end != text.c_str() + text.size()) return std::nullopt;
    return n;
}

std::optional<double> decimalNumber(const std::string& text) {
    if (text.empty() || text.front() == ' ') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(d)) return std::nullopt;
    return d;
}

bool takesValue(const std::string& name) {
    static const char* const withValue[] = {"wid", "vo", "ao", "volume", "muteset", "sid", "partner", "layout", "mirror", "camera", "large", "screen"};
    return std::find(std::begin(withValue), std::end(withValue), name) != std::end(withValue);
}

// Flags that the engine accepts as they are: it always speaks the slave
// protocol, prints no status line and identifies the clip.
bool isAcceptedFlag(const std::string& name) {
    static const char* const flags[] = {"slave", "quiet", "really-quiet", "identify", "idx"};
    return std::find(std::begin(flags), std::end(flags), name) != std::end(flags);
}

class Parser {
public:
    CommandLine result;

    void option(const std::string& name, const std::string& value) {
        EngineOptions& o = result.options;
        if (name == "wid") {
            const auto id = wholeNumber(value, 0);  // decimal, or hexadecimal with 0x
            if (!id || *id < 0 || *id > 0xffffffffLL) return bad(name, value);
            o.windowId = *id;
        } else if (name == "vo") {
            const VideoDriver vo = mapVideoOutput(value);
            if (!vo.known) warn("unknown video output '" + value + "', using the X11 output");
            o.videoOutput = vo.mpvVo;
        } else if (name == "ao") {
            const AudioDriver ao = mapAudioOutput(value);
            if (!ao.known) warn("unknown audio output '" + value + "', using the default");
            o.audioOutput = ao.mpvAo;
            o.audioDeviceIndex = ao.deviceIndex;
        } else if (name == "volume") {
            const auto v = decimalNumber(value);
            if (!v) return bad(name, value);
            if (*v < 0)
                o.volume.reset();  // the player's "leave the volume as it is"
            else
                o.volume = static_cast<int>(std::lround(std::min(*v, 100.0)));
        } else if (name == "muteset") {
            const auto m = wholeNumber(value, 10);
            if (!m) return bad(name, value);
            o.muted = *m != 0;
        } else if (name == "sid") {
            const auto s = wholeNumber(value, 10);
            if (!s || *s < 0 || *s > 9999) return bad(name, value);
            o.subtitleTrack = static_cast<int>(*s) + 1;  // the player counts from 0, libmpv from 1
        } else if (name == "partner") {
            o.partnerFile = value;
        } else if (name == "layout") {
            const auto layout = cameras::parseLayout(value);
            if (!layout) return bad(name, value);
            o.layout = *layout;
        } else if (name == "camera") {
            const size_t colon = value.find(':');
            const auto channel = cameras::channelOfName(value.substr(0, colon == std::string::npos ? 0 : colon));
            if (channel == cameras::CameraChannel::None || colon + 1 >= value.size()) return bad(name, value);
            if (o.cameraFiles.size() < kMaxCameras) o.cameraFiles.push_back({channel, value.substr(colon + 1)});
        } else if (name == "screen") {
            const size_t x = value.find('x');
            const auto w = x == std::string::npos ? std::nullopt : wholeNumber(value.substr(0, x), 10);
            const auto h = x == std::string::npos ? std::nullopt : wholeNumber(value.substr(x + 1), 10);
            if (!w || !h || *w < 16 || *h < 16 || *w > 16384 || *h > 16384) return bad(name, value);
            o.screenWidth = *w;
            o.screenHeight = *h;
        } else if (name == "large") {
            const auto channel = cameras::channelOfName(value);
            if (channel == cameras::CameraChannel::None) return bad(name, value);
            o.largeCamera = channel;
        } else if (name == "mirror") {
            const auto m = wholeNumber(value, 10);
            if (!m) return bad(name, value);
            o.mirrorPartner = *m != 0;
        }
    }

    void flag(const std::string& name) {
        EngineOptions& o = result.options;
        if (name == "nokeepaspect")
            o.keepAspect = false;
        else if (name == "keepaspect")
            o.keepAspect = true;
        else if (name == "nosub")
            o.subtitleTrack = 0;
        else if (name == "list-audio-devices")
            o.listAudioDevices = true;
        else if (!isAcceptedFlag(name))
            warn("unknown option -" + name + ", skipped");
    }

    void file(const std::string& path) {
        if (result.options.mediaFile.empty())
            result.options.mediaFile = path;
        else
            warn("only one file is played; '" + path + "' skipped");
    }

    void warn(const std::string& text) { result.warnings.push_back("Warning: " + text); }
    void bad(const std::string& name, const std::string& value) {
        warn("bad value '" + value + "' for -" + name + ", skipped");
    }
};

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    Parser p;
    bool filesOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (filesOnly || arg.size() < 2 || arg[0] != '-') {
            p.file(arg);
            continue;
        }
        if (arg == "--") {
            filesOnly = true;
            continue;
        }
        const std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
        if (!takesValue(name)) {
            p.flag(name);
        } else if (i + 1 < args.size()) {
            p.option(name, args[++i]);
        } else {
            p.warn("option -" + name + " needs a value, skipped");
        }
    }
    return p.result;
}

}  // namespace engine
