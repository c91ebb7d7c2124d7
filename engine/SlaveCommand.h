#pragma once
// One line of the slave protocol, parsed. Pure function: no libmpv needed.
//
//   quit [code]            pause               get_time_pos
//   volume <v> [abs]       mute [0|1]          seek <v> [0|1|2]
//   screenshot [0]         sub_log_static
//   speed_set <v>          frame_step          frame_back_step
//   layout <name>          mirror <0|1>        large <channel>
//
// Arguments are separated by blanks or tabs; a trailing carriage return is
// ignored. Anything else parses as Unknown or Invalid, never as a command.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"

#include <string>
#include <string_view>

namespace engine {

struct SlaveCommand {
    enum class Kind { Empty, Unknown, Invalid, Quit, Pause, GetTimePos, Volume, Mute, Seek, Screenshot, SubLogStatic,
                      SpeedSet, FrameStep, FrameBackStep, Layout, Mirror, Large };
    enum class SeekMode { Relative = 0, Percent = 1, Absolute = 2 };

    Kind kind = Kind::Empty;
    double value = 0;       // volume level, seek target, speed
    bool absolute = false;  // volume: set rather than change
    bool toggle = false;    // mute without an argument
    bool on = false;        // mute 1, mirror 1
    cameras::CameraLayout layout = cameras::CameraLayout::Inset;
    cameras::CameraChannel channel = cameras::CameraChannel::None;  // large
    int exitCode = 0;       // quit
    SeekMode seekMode = SeekMode::Relative;
    std::string name;  // the command word, for warnings
};

SlaveCommand parseSlaveCommand(std::string_view line);

}  // namespace engine
