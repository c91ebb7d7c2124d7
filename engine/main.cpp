// The player engine: <program folder>/MPlayer/mplayer.
//
// A small player on libmpv that the program drives as a child process, one
// process per clip, through the player's slave protocol.
//
// Command line (options in any order, one or two leading dashes):
//   mplayer <file> [-wid N] -vo V -slave -quiet -identify -ao A -volume N -muteset 0|1
//           [-sid N] [-idx] [-nokeepaspect]
//   mplayer -list-audio-devices
//     -wid N             draw into the X11 window N (libmpv creates its child window
//                        inside it and selects no keyboard or mouse input on it)
//     -vo V              "directx[:…]" software X11 output; "gl[:…]" OpenGL output
//                        (each falls back to the other, then to no picture, so the
//                        clip still plays); "null" no video output and no window
//     -ao A              "dsound" or "dsound:device=N": libmpv's automatic output on
//                        entry N of -list-audio-devices (0 and out-of-range N: default);
//                        "win32" the default device; "null" no sound;
//                        "alsa", "pulse", "pipewire", "jack", "sdl", "oss" as named
//     -volume N          0..100 (a negative value keeps the default, 100)
//     -muteset 0|1       start muted
//     -sid N             use subtitle track N (from 0); its text is never drawn
//     -nokeepaspect      stretch the picture to the window (the host letterboxes)
//     -slave -quiet -identify -idx   accepted; the engine always behaves so
//     -list-audio-devices            print one device description a line and exit
//     -partner F         the other camera of the moment: a local regular media file under
//                        the same rules as the clip, shown in the same picture on the
//                        clip's clock (sound stays the clip's)
//     -layout L          inset (default), inset-swapped, side or single
//     -mirror 0|1        mirror the partner's picture (the back camera's among more)
//     -camera CH:F       one camera of a car's moment (repeated for each, the clip's own
//                        included): CH is F, R, left_repeater, right_repeater, left_pillar
//                        or right_pillar; with these, all cameras compose in one picture
//                        (-layout grid, strip or single) instead of -partner's
//     -large CH          the camera shown large (strip) or alone (single); the clip's own
//     -screen WxH        the size the cameras' picture is shown at while no video window
//                        tells it (-vo null); each camera is scaled once to its tile there
//   Unknown options and bad values: a "Warning: ..." line on standard error.
//
// Commands, one a line on standard input:
//   quit [code]        ->  ID_EXIT=QUIT, exit with code (0)
//   pause              toggles pause; nothing else pauses or resumes
//   get_time_pos       ->  ANS_TIME_POSITION=<seconds, one decimal>
//   volume <v> [abs]   abs non-zero: set to v; otherwise change by v (0..100)
//   mute [0|1]         set, or toggle without argument
//   seek <v> [type]    type 0: by v seconds; 1: to v percent; 2: to v seconds
//   screenshot 0       write the next free shotNNNN.png (from shot0001.png) into the
//                      working folder, the picture only, then
//                      ->  *** screenshot 'shotNNNN.png' ***
//   sub_log_static     ->  ID_SUBTITLE_LOG=<subtitle text at the play position, on one
//                      line>, nothing after "=" when no text is current
//   layout <name>      inset, inset-swapped, side or single; mirror 0|1 mirrors the
//                      partner; both are kept without a partner and answered with
//                      ->  ANS_CAMERA_LAYOUT=<name>[ mirror]
//                      (grid and strip with -camera; the others stand for them there)
//   large <CH>         the camera shown large or alone; answered as layout is
//   Unknown or malformed commands: a warning on standard error.
//
// Standard output, one line each:
//   ID_VIDEO_WIDTH=<n>, ID_VIDEO_HEIGHT=<n>   when the file is loaded (video only)
//   ID_LENGTH=<seconds, two decimals>          when the file is loaded
//   ID_VIDEO_ASPECT=<four decimals>            before "Starting playback", again when it
//                                              changes; 0.0000 when unknown
//   ID_PARTNER=playing|failed                  after the file is loaded, with -partner or
//                                              -camera (a camera that cannot be shown
//                                              leaves its tile black): a
//                                              partner that cannot be shown leaves the clip
//                                              playing alone
//   Starting playback...                       when the first frame plays
//   ANS_TIME_POSITION=<seconds>                twice a second while playing, and as the
//                                              answer to get_time_pos
//   ID_EXIT=EOF                                end of file, or the file cannot be played
//                                              (an "Error: ..." line on standard error
//                                              first, exit code 1)
//   ID_EXIT=QUIT                               after quit, or when standard input ends
//
// The engine exits when standard input ends (the program is gone). Output goes
// through a bounded queue on a writer thread: a stalled reader never holds up
// playback or the commands; periodic position lines are dropped while it lags.
// Standard output carries protocol lines only (anything a library prints goes
// to standard error). VELTARA_ENGINE_LOG=<file> writes libmpv's full log there.
#include "engine/CommandLine.h"
#include "engine/Engine.h"
#include "engine/MpvSetup.h"
#include "engine/OutputWriter.h"

#include <fcntl.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

namespace {

// Time the exit line gets to reach a reader that lags; a reader that is gone
// or stuck must not keep the engine alive.
constexpr std::chrono::milliseconds kFlushLimit{2000};

struct ProtocolStreams {
    int commands = STDIN_FILENO;
    int lines = STDOUT_FILENO;
};

// The protocol gets private copies of standard input and output. Code inside
// libmpv's outputs has been seen closing descriptor 0 when a video output
// fails to start, and libraries may print to standard output; with the
// copies neither can cut the command stream or break a protocol line.
// Descriptor 0 becomes /dev/null and descriptor 1 a copy of standard error.
ProtocolStreams takeProtocolStreams() {
    ProtocolStreams streams;
    const int in = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (in >= 0 && devNull >= 0 && ::dup2(devNull, STDIN_FILENO) == STDIN_FILENO)
        streams.commands = in;
    else if (in >= 0)
        ::close(in);
    if (devNull >= 0) ::close(devNull);

    const int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (out >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) == STDOUT_FILENO)
        streams.lines = out;
    else if (out >= 0)
        ::close(out);
    return streams;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that went away shows as a failed write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);

    const engine::CommandLine commandLine = engine::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    const ProtocolStreams streams = takeProtocolStreams();
    engine::OutputWriter out(streams.lines, STDERR_FILENO);
    for (const auto& warning : commandLine.warnings) out.postError(warning);

    int code;
    if (commandLine.options.listAudioDevices) {
        code = engine::listAudioDevices(out);
    } else if (commandLine.options.mediaFile.empty()) {
        out.postError("Usage: mplayer <file> [-wid N] [-vo V] [-ao A] [-volume N] [-muteset 0|1] [-sid N] ...");
        out.postError("       mplayer -list-audio-devices");
        code = 1;
    } else {
        engine::Engine player(commandLine.options, out);
        code = player.run(streams.commands);
    }
    out.finish(kFlushLimit);
    return code;
}
