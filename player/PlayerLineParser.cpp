#include "player/PlayerLineParser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool startsWithNoCase(std::string_view line, std::string_view prefix) {
    if (line.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = line[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

std::string_view skipBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    return text.substr(i);
}

PlayerLine screenshotLine(std::string_view rest) {
    PlayerLine result;
    if (rest.empty() || rest.front() != '\'') return result;
    const size_t close = rest.find('\'', 1);
    if (close == std::string_view::npos || close == 1) return result;
    const std::string_view name = rest.substr(1, close - 1);
    // The player writes into its working folder, so a real name has no folder part.
    if (name.find('/') != std::string_view::npos) return result;
    result.kind = PlayerLine::Kind::Screenshot;
    result.text = std::string(name.substr(0, PlayerLineParser::kMaxScreenshotName));
    return result;
}

}  // namespace

int32_t PlayerLineParser::integerValue(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > limit) value = limit;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

double PlayerLineParser::floatingValue(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would take a second sign; atof would not.
    if (text.empty() || text.front() == '+' || text.front() == '-') return 0.0;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    (void)end;
    if (error != std::errc() || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

PlayerLine PlayerLineParser::parse(std::string_view line) {
    using Kind = PlayerLine::Kind;
    PlayerLine result;
    std::string_view rest;
    const auto has = [&](std::string_view prefix) {
        if (!startsWithNoCase(line, prefix)) return false;
        rest = line.substr(prefix.size());
        return true;
    };

    if (has("ID_SUBTITLE_LOG=")) {
        if (rest.empty()) {
            result.kind = Kind::NoSubtitle;
        } else {
            result.kind = Kind::SubtitleText;
            result.text = std::string(rest.substr(0, kMaxSubtitleText));
        }
    } else if (has("ANS_TIME_POSITION=")) {
        result.kind = Kind::TimePosition;
        result.integer = integerValue(rest);
        result.number = floatingValue(rest);
    } else if (has("ANS_SPEED=")) {
        result.kind = Kind::Speed;
        result.number = floatingValue(rest);
    } else if (has("ID_VIDEO_WIDTH=")) {
        result.kind = Kind::VideoWidth;
        result.integer = integerValue(rest);
    } else if (has("ID_VIDEO_HEIGHT=")) {
        result.kind = Kind::VideoHeight;
        result.integer = integerValue(rest);
    } else if (has("ID_VIDEO_ASPECT=")) {
        result.kind = Kind::VideoAspect;
        result.number = floatingValue(rest);
    } else if (has("ID_LENGTH=")) {
        result.kind = Kind::Length;
        result.number = floatingValue(rest);
    } else if (has("Starting playback")) {
        result.kind = Kind::Started;
    } else if (has("*** screenshot ")) {
        result = screenshotLine(rest);
    } else if (has("ID_PARTNER=")) {
        if (rest == "playing") result.kind = Kind::PartnerPlaying;
        if (rest == "failed") result.kind = Kind::PartnerFailed;
    } else if (has("ID_AUDIO_OUTPUT=none")) {
        result.kind = Kind::NoSoundOutput;
    } else if (has("ANS_CAMERA_LAYOUT=")) {
        const size_t blank = rest.find(' ');
        const std::string_view name = rest.substr(0, blank);
        if (name.size() <= 16) {
            result.kind = Kind::CameraLayout;
            result.text = std::string(name);
            result.integer = blank != std::string_view::npos && rest.substr(blank + 1) == "mirror";
        }
    } else if (has("ID_EXIT=QUIT")) {
        result.kind = Kind::ExitQuit;
    } else if (has("ID_EXIT=EOF")) {
        result.kind = Kind::ExitEof;
    }
    return result;
}
