#pragma once
// The files named on the program's command line, as absolute paths in the
// order given. Options (and the values of Qt's options that take one) are
// not files; after "--" everything is a file.
//
// Threads: any; reads the working folder once.
#include <string>
#include <vector>

struct CommandLineFiles {
    static std::vector<std::string> Parse(int argc, const char* const* argv);
};
