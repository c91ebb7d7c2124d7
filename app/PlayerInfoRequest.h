#pragma once
// A command line that asks only for the player's help or version. main()
// answers it first, before anything needs a display, the instance lock or
// the running instance: it works on a server and in a build (man pages).
// "--" ends the options, as for the files.
//
// Threads: any (pure functions).
#include <string>

struct PlayerInfoRequest {
    enum Kind { None, Help, Version };
    static Kind Parse(int argc, const char* const* argv);
    // The help text, ending in a line feed.
    static std::string Usage();
};
