#include "engine/ProtocolLines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace engine::lines {

namespace {

constexpr size_t kMaxSubtitleBytes = 1024;

std::string format(const char* pattern, double value) {
    if (!std::isfinite(value)) value = 0;
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

std::string videoWidth(long long pixels) {
    return "ID_VIDEO_WIDTH=" + std::to_string(pixels);
}
std::string videoHeight(long long pixels) {
    return "ID_VIDEO_HEIGHT=" + std::to_string(pixels);
}
std::string videoAspect(double aspect) {
    return format("ID_VIDEO_ASPECT=%.4f", aspect);
}
std::string length(double seconds) {
    return format("ID_LENGTH=%.2f", std::max(seconds, 0.0));
}
std::string startingPlayback() {
    return "Starting playback...";
}

// Decoders may report a few milliseconds before zero at the start.
std::string timePosition(double seconds) {
    return format("ANS_TIME_POSITION=%.3f", std::max(seconds, 0.0));
}

std::string speed(double factor) {
    return format("ANS_SPEED=%.2f", factor);
}

std::string subtitleLog(std::string_view text) {
    std::string out = "ID_SUBTITLE_LOG=";
    const size_t prefix = out.size();
    bool lastWasBlank = false;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool control = c < 0x20 || c == 0x7f;
        if (control) {
            // A run of breaks between two lines of a cue becomes one blank.
            if (!lastWasBlank && out.size() > prefix) out.push_back(' ');
            lastWasBlank = true;
            continue;
        }
        out.push_back(ch);
        lastWasBlank = false;
    }
    if (lastWasBlank && out.size() > prefix) out.pop_back();  // the blank of a trailing break
    if (out.size() - prefix > kMaxSubtitleBytes) {
        size_t cut = prefix + kMaxSubtitleBytes;
        while (cut > prefix && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    return out;
}

std::string screenshotWritten(std::string_view fileName) {
    return "*** screenshot '" + std::string(fileName) + "' ***";
}

std::string exitEof() {
    return "ID_EXIT=EOF";
}
std::string exitQuit() {
    return "ID_EXIT=QUIT";
}

std::string cameraLayout(std::string_view name, bool mirror) {
    return "ANS_CAMERA_LAYOUT=" + std::string(name) + (mirror ? " mirror" : "");
}

std::string partnerPlaying(bool playing) {
    return playing ? "ID_PARTNER=playing" : "ID_PARTNER=failed";
}

std::string noSoundOutput() {
    return "ID_AUDIO_OUTPUT=none";
}

}  // namespace engine::lines
