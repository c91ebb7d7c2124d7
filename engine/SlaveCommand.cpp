#include "engine/SlaveCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

namespace engine {

namespace {

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) out.emplace_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<double> number(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<int> integer(const std::string& text) {
    const auto d = number(text);
    if (!d || *d != std::trunc(*d) || std::fabs(*d) > 1e9) return std::nullopt;
    return static_cast<int>(*d);
}

}  // namespace

SlaveCommand parseSlaveCommand(std::string_view line) {
    using Kind = SlaveCommand::Kind;
    SlaveCommand c;
    const auto w = words(line);
    if (w.empty()) return c;
    c.name = w[0];
    const size_t args = w.size() - 1;
    auto invalid = [&c]() {
        c.kind = Kind::Invalid;
        return c;
    };

    if (c.name == "quit") {
        c.kind = Kind::Quit;
        if (args > 1) return invalid();
        if (args == 1) {
            const auto code = integer(w[1]);
            if (!code || *code < 0 || *code > 255) return invalid();
            c.exitCode = *code;
        }
    } else if (c.name == "pause" || c.name == "get_time_pos" || c.name == "sub_log_static") {
        if (args != 0) return invalid();
        c.kind = c.name == "pause" ? Kind::Pause : c.name == "get_time_pos" ? Kind::GetTimePos : Kind::SubLogStatic;
    } else if (c.name == "frame_step" || c.name == "frame_back_step") {
        if (args != 0) return invalid();
        c.kind = c.name == "frame_step" ? Kind::FrameStep : Kind::FrameBackStep;
    } else if (c.name == "speed_set") {
        if (args != 1) return invalid();
        const auto v = number(w[1]);
        if (!v || !(*v > 0)) return invalid();
        c.kind = Kind::SpeedSet;
        c.value = *v;
    } else if (c.name == "volume") {
        if (args < 1 || args > 2) return invalid();
        const auto v = number(w[1]);
        const auto abs = args == 2 ? integer(w[2]) : std::optional<int>(0);
        if (!v || !abs) return invalid();
        c.kind = Kind::Volume;
        c.value = *v;
        c.absolute = *abs != 0;
    } else if (c.name == "mute") {
        if (args > 1) return invalid();
        c.kind = Kind::Mute;
        if (args == 0) {
            c.toggle = true;
        } else {
            const auto on = integer(w[1]);
            if (!on) return invalid();
            c.on = *on != 0;
        }
    } else if (c.name == "seek") {
        if (args < 1 || args > 2) return invalid();
        const auto v = number(w[1]);
        const auto mode = args == 2 ? integer(w[2]) : std::optional<int>(0);
        if (!v || !mode || *mode < 0 || *mode > 2) return invalid();
        c.kind = Kind::Seek;
        c.value = *v;
        c.seekMode = static_cast<SlaveCommand::SeekMode>(*mode);
    } else if (c.name == "layout") {
        const auto layout = args == 1 ? cameras::parseLayout(w[1]) : std::nullopt;
        if (!layout) return invalid();
        c.kind = Kind::Layout;
        c.layout = *layout;
    } else if (c.name == "large") {
        const auto channel = args == 1 ? cameras::channelOfName(w[1]) : cameras::CameraChannel::None;
        if (channel == cameras::CameraChannel::None) return invalid();
        c.kind = Kind::Large;
        c.channel = channel;
    } else if (c.name == "mirror") {
        const auto on = args == 1 ? integer(w[1]) : std::nullopt;
        if (!on) return invalid();
        c.kind = Kind::Mirror;
        c.on = *on != 0;
    } else if (c.name == "screenshot") {
        // Only the single shot; the player's "every frame" mode (1) is not offered.
        if (args > 1 || (args == 1 && integer(w[1]) != std::optional<int>(0))) return invalid();
        c.kind = Kind::Screenshot;
    } else {
        c.kind = Kind::Unknown;
    }
    return c;
}

}  // namespace engine
