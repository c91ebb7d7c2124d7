#pragma once
// One recognised line of the player's output, as PlayerLineParser reads it.
#include <cstdint>
#include <string>

struct PlayerLine {
    enum class Kind {
        Ignored,       // no known prefix, or a malformed screenshot line
        SubtitleText,  // "ID_SUBTITLE_LOG=" with text: `text`
        NoSubtitle,    // "ID_SUBTITLE_LOG=" alone
        TimePosition,  // "ANS_TIME_POSITION=": `integer` seconds, `number` the exact value
        Speed,         // "ANS_SPEED=": `number`
        VideoWidth,    // "ID_VIDEO_WIDTH=": `integer`
        VideoHeight,   // "ID_VIDEO_HEIGHT=": `integer`
        VideoAspect,   // "ID_VIDEO_ASPECT=": `number`
        Length,        // "ID_LENGTH=": `number`
        Started,       // "Starting playback"
        Screenshot,    // "*** screenshot 'name'": `text`
        ExitQuit,      // "ID_EXIT=QUIT"
        ExitEof,       // "ID_EXIT=EOF"
        PartnerPlaying,  // "ID_PARTNER=playing"
        PartnerFailed,   // "ID_PARTNER=failed"
        CameraLayout,    // "ANS_CAMERA_LAYOUT=": `text` the layout's name, `integer` 1 when mirrored
        NoSoundOutput,   // "ID_AUDIO_OUTPUT=none": no sound output opened; the picture plays on
    };

    Kind kind = Kind::Ignored;
    int32_t integer = 0;
    double number = 0.0;  // always finite
    std::string text;
};
