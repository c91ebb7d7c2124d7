#pragma once
// The player's command line, built from the player's settings: as one text
// (for logs and tests) and as the argument vector the process is started
// from, in which every value, a media path with blanks or quotes included,
// is one argument. Pure; any thread.
#include <cstdint>
#include <string>
#include <vector>

struct PlayerCommandLine {
    std::string playerPath;
    std::string mediaFile;
    int64_t videoWindow = 0;  // 0: none, no "-wid"
    std::string videoOutput;
    std::string audioOutput;
    int32_t soundDevice = 0;  // used only with the "dsound" output
    int32_t volume = 0;
    bool muted = false;
    std::string extraOptions;  // blank-separated, appended at the end
    // The other camera of the moment, shown in the same picture; empty: none.
    std::string partnerFile;
    std::string cameraLayout = "inset";
    bool mirrorPartner = false;
    // All cameras of a car's moment, each "channel:path" (the clip's own
    // included), composed in one picture instead of the partner's; empty: none.
    std::vector<std::string> cameraFiles;
    std::string largeCamera;  // a channel name; empty: the clip's own

    // player "media" -wid N -vo V -slave -quiet -identify -ao A -volume N -muteset M extra
    //   [-partner "file" -layout L -mirror 0|1]
    //   [-camera "channel:file"... -layout L -mirror 0|1 [-large channel]]
    std::string text() const;
    std::vector<std::string> arguments() const;

private:
    std::string audioValue() const;
};
