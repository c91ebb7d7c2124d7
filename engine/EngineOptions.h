#pragma once
// What the command line asks of the engine, already in libmpv's terms.
// Plain data: built by parseCommandLine, read by the engine's main thread.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"

#include <optional>
#include <string>
#include <vector>

namespace engine {

struct EngineOptions {
    std::string mediaFile;                     // empty: none was given
    long long windowId = 0;                    // "-wid": X11 window to draw into; 0 means none
    std::string videoOutput = "x11,gpu,null";  // libmpv "vo" (a fallback list)
    std::string audioOutput;                   // libmpv "ao"; empty leaves libmpv's automatic choice
    int audioDeviceIndex = -1;                 // entry of libmpv's audio-device-list; -1 means automatic
    std::optional<int> volume;                 // 0..100
    bool muted = false;
    std::optional<int> subtitleTrack;  // libmpv "sid" (1-based); 0 switches subtitles off
    bool keepAspect = true;
    bool listAudioDevices = false;
    std::string partnerFile;  // "-partner": the other camera of the moment, shown in the same picture
    cameras::CameraLayout layout = cameras::CameraLayout::Inset;
    bool mirrorPartner = false;
    // "-camera": all cameras of a car's moment, composed in one picture; empty: none.
    struct CameraFile {
        cameras::CameraChannel channel = cameras::CameraChannel::None;
        std::string path;
    };
    std::vector<CameraFile> cameraFiles;
    cameras::CameraChannel largeCamera = cameras::CameraChannel::None;  // None: the clip's own
    // "-screen WxH": the size the picture is shown at while no video window tells it (-vo null).
    long long screenWidth = 0;
    long long screenHeight = 0;
};

}  // namespace engine
