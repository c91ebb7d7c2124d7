#include "dialogs/OutputTable.h"

#include "platform/AsciiCase.h"

#include <array>
#include <string>

namespace {

// The values are those the player engine and older configuration files use.
constexpr std::array<OutputRow, 2> kVideo{{
    {"directx:noaccel", "IDS_VO_X11", "X11 (software drawing)"},
    {"gl:force-pbo", "IDS_VO_OPENGL", "OpenGL (graphics card)"},
}};

// "win32" and "dsound" are the engine's automatic output (PipeWire or
// PulseAudio where they run), on the default or the chosen device.
constexpr std::array<OutputRow, 3> kSound{{
    {"win32", "IDS_AO_DEFAULT", "PulseAudio or PipeWire, default device"},
    {"dsound", "IDS_AO_DEVICE", "PulseAudio or PipeWire, chosen device"},
    {"alsa", "IDS_AO_ALSA", "ALSA, directly to the sound card"},
}};


// The output a value selects: its driver name, with the names the engine
// treats alike folded into one.
std::string outputOf(std::string_view value) {
    const std::string name = asciiLower(value.substr(0, value.find_first_of(":,")));
    if (name == "x11" || name == "xv") return "directx";
    if (name.starts_with("gl") || name == "opengl" || name == "gpu") return "gl";
    return name;
}

}  // namespace

std::span<const OutputRow> OutputTable::video() {
    return kVideo;
}

std::span<const OutputRow> OutputTable::sound() {
    return kSound;
}

int OutputTable::indexOf(std::span<const OutputRow> rows, std::string_view value) {
    const std::string output = outputOf(value);
    if (output.empty()) return -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (outputOf(rows[i].value) == output) return static_cast<int>(i);
    }
    return -1;
}

const OutputRow* OutputTable::at(std::span<const OutputRow> rows, int index) {
    if (index < 0 || static_cast<size_t>(index) >= rows.size()) return nullptr;
    return &rows[static_cast<size_t>(index)];
}

bool OutputTable::isDirectSound(std::string_view value) {
    return asciiLower(value) == kDirectSound;
}
