#include "engine/MpvSetup.h"

#include "engine/OutputWriter.h"

#include <cstdlib>
#include <string>
#include <utility>

namespace engine {

bool configureMpv(MpvSession& mpv, const EngineOptions& options, OutputWriter& out) {
    const int volume = options.volume.value_or(100);
    if (!mpv.valid()) {
        out.postError("Error: the player library could not be started");
        return false;
    }
    // The host window owns the keyboard and the mouse (double-click for full
    // screen): libmpv selects no input events on its window and binds no keys.
    // Nothing is drawn over the picture: no OSD, and the subtitle track is
    // decoded only so that its text can be asked for.
    const std::pair<const char*, std::string> fixed[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"cursor-autohide", "no"},
        {"osd-level", "0"},
        {"sub-visibility", "no"},
        {"keep-open", "no"},
        // Without a working video output the clip still plays (sound, track).
        {"stop-playback-on-init-failure", "no"},
        // At the end of the file libmpv waits; the engine decides to exit.
        {"idle", "yes"},
        {"force-window", "no"},
        // Where OpenGL is chosen (or the fallback), a software renderer is
        // better than no picture.
        {"gpu-sw", "yes"},
        {"audio-display", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"ytdl", "no"},
        // A clip is one local media file and nothing more: no playlists, EDL
        // or references inside it are followed, no network protocol is
        // opened, and no file beside it (subtitles, audio, cover) is loaded.
        // Only container formats that never point to other files are read.
        {"demuxer", "lavf"},
        {"demuxer-lavf-o", std::string("protocol_whitelist=file,format_whitelist=[") + kClipFormats + "]"},
        {"access-references", "no"},
        {"load-unsafe-playlists", "no"},
        {"ordered-chapters", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"cover-art-auto", "no"},
        {"vo", options.videoOutput},
        {"keepaspect", options.keepAspect ? "yes" : "no"},
        {"volume", std::to_string(volume)},
        {"mute", options.muted ? "yes" : "no"},
        // Slow and fast playback keep the sound's pitch.
        {"audio-pitch-correction", "yes"},
    };
    for (const auto& [name, value] : fixed)
        if (int rc = mpv.setOption(name, value); rc < 0)
            out.postError(std::string("Warning: option ") + name + ": " + MpvSession::errorText(rc));
    if (!options.audioOutput.empty()) mpv.setOption("ao", options.audioOutput);
    if (options.windowId != 0) mpv.setOption("wid", static_cast<int64_t>(options.windowId));
    if (options.subtitleTrack)
        mpv.setOption("sid", *options.subtitleTrack == 0 ? std::string("no") : std::to_string(*options.subtitleTrack));
    // libmpv's errors go to standard error; its full log to a file on request.
    mpv.requestLogMessages("error");
    if (const char* logFile = std::getenv("VELTARA_ENGINE_LOG"); logFile && *logFile)
        mpv.setOption("log-file", std::string(logFile));

    if (int rc = mpv.initialize(); rc < 0) {
        out.postError("Error: the player library failed to start: " + MpvSession::errorText(rc));
        return false;
    }
    // Entry 0 of the list is always libmpv's automatic choice; only another
    // entry is worth probing every audio output for.
    if (options.audioDeviceIndex > 0) {
        const auto devices = mpv.audioDevices();
        const auto index = static_cast<size_t>(options.audioDeviceIndex);
        if (index < devices.size())
            mpv.setString("audio-device", devices[index].name);
        else
            out.postError("Warning: no audio device " + std::to_string(index) + ", using the default");
    }
    return true;
}

int listAudioDevices(OutputWriter& out) {
    MpvSession mpv;
    mpv.setOption("config", "no");
    mpv.setOption("vo", "null");
    if (!mpv.valid() || mpv.initialize() < 0) {
        out.postError("Error: the player library could not be started");
        return 1;
    }
    for (const auto& device : mpv.audioDevices()) {
        std::string line;
        for (const char ch : device.description) line.push_back(static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch);
        out.post(line);
    }
    return 0;
}

}  // namespace engine
