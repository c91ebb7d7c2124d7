#include "app/PlayerInfoRequest.h"

#include <string_view>

PlayerInfoRequest::Kind PlayerInfoRequest::Parse(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (argument == "--") break;
        if (argument == "--help" || argument == "-h") return Help;
        if (argument == "--version") return Version;
    }
    return None;
}

std::string PlayerInfoRequest::Usage() {
    return "Usage: veltara-dvr-player [QT-OPTION...] [FILE...]\n"
           "Plays dash camera clips with the GPS track the camera recorded on a map,\n"
           "the GPS panel and the G-sensor chart.\n"
           "The files named open as a drop does. One player runs per user: a second\n"
           "start hands its files to the running player and ends.\n"
           "  --help      print this help\n"
           "  --version   print the version and those of the FFmpeg and libmpv in use\n"
           "  --          every argument after it is a file\n"
           "Qt's options (-platform NAME, -display DISPLAY, -style NAME, ...) apply.\n"
           "Exit status: 0 when the window was closed or the files were handed over,\n"
           "1 when another player runs and no files were given or the lock cannot be\n"
           "used, 2 when the window cannot be built, 128+N after signal N.\n";
}
