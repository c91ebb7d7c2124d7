#pragma once
// Sets up a libmpv instance for the engine: the options that follow from the
// command line and the fixed ones that make libmpv behave as the player the
// program expects. Called from the engine's main thread before playback.
#include "engine/EngineOptions.h"
#include "engine/MpvSession.h"

namespace engine {

class OutputWriter;

// The libavformat demuxers a clip may be read with (the converter uses the
// same list): self-contained containers only, never playlists, HLS or concat.
inline constexpr const char* kClipFormats = "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,avi,mpegts,flv,asf";

// Sets the options and initialises libmpv; problems go to `out` as warnings.
// False when libmpv cannot be used at all.
bool configureMpv(MpvSession& mpv, const EngineOptions& options, OutputWriter& out);

// Prints libmpv's audio devices, one description a line, in libmpv's order
// (the first is its automatic choice). Returns the exit code.
int listAudioDevices(OutputWriter& out);

}  // namespace engine
