#pragma once
// Maps the player's "-vo" and "-ao" values (as the settings window stores
// them) to libmpv outputs. Pure functions: no libmpv needed.
#include <string>
#include <string_view>

namespace engine {

struct VideoDriver {
    std::string mpvVo;  // libmpv "vo" value
    bool known = true;  // false: the value was not understood and the default was used
};

struct AudioDriver {
    std::string mpvAo;     // libmpv "ao" value; empty: libmpv chooses
    int deviceIndex = -1;  // "dsound:device=N": N-th entry of the audio device list
    bool known = true;
};

// "directx[:…]" -> software X11 output; "gl…[:…]"/"opengl" -> OpenGL output;
// "null" -> no output at all. Unknown drivers fall back to the X11 output.
VideoDriver mapVideoOutput(std::string_view value);

// "dsound[:device=N]" -> automatic output on device N; "win32" -> the
// default device; "null" -> no sound; the Linux drivers libmpv shares with
// the player ("alsa", "pulse", ...) pass through.
AudioDriver mapAudioOutput(std::string_view value);

}  // namespace engine
