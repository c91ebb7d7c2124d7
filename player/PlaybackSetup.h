#pragma once
// What the playback controller needs from the program to configure the
// player and the extractor: the folders, the window the events go to, the
// native window the video is drawn into, the settings, and the datum of
// the map page in use.
#include "config/AppConfig.h"
#include "platform/MessageTarget.h"
#include "track/TrackMapConversion.h"

#include <cstdint>
#include <optional>
#include <string>

struct PlaybackSetup {
    std::string programFolder;                  // ends in "/": holds MPlayer/mplayer and FFMpeg/ffmpeg
    std::string userDataFolder;                 // ends in "/": the player's working folder, where snapshots land
    platform::MessageTarget* window = nullptr;  // the main window
    int64_t videoWindow = 0;                    // native window id of the video host; 0: none
    const AppConfig* config = nullptr;          // video and audio output, sound device, map kind
    // The datum the map page actually loaded draws in: the track line is
    // converted to it. Without one it is derived from the map kind and the
    // region, which misses the page chosen for an unknown map kind.
    std::optional<TrackMapConversion> trackConversion;
};
