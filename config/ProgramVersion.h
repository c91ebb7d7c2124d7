#pragma once
// The version text of a program: its own version and the versions of the
// FFmpeg and libmpv libraries it would use, as `--version` prints it and as
// records that must name the software that made them quote it. The first
// line is "<program> <version>".
//
// Threads: any. Loads the libraries to ask them (FFmpeg's libavutil and
// libavformat, libmpv) and unloads them again; needs no display.
#include <string>
#include <string_view>

std::string programVersionText(std::string_view program);
