#pragma once
// The converter's command line: once as text, the way it is logged, and once
// as the argument vector the converter is really started from, in which a
// path with blanks, quotes or non-ASCII characters is one argument.
#include <string>
#include <string_view>
#include <vector>

// The demuxers a clip may be read with (the player engine allows the same):
// self-contained containers only.
extern const char* const kClipFormats;

// "<converter>" -i "<input>" <extra arguments> <output>
std::string converterCommandLine(std::string_view converter, std::string_view input, std::string_view extraArguments,
                                 std::string_view output);

// The same as arguments, with the input limited to a local file of one of
// kClipFormats (the text form leaves that out). The extra arguments are split at blanks; double
// quotes group blanks into one argument. An input path that the converter
// would take for a protocol ("name:...") gets the "file:" prefix, so every
// name is read as the file it is.
std::vector<std::string> converterArguments(const std::string& converter, const std::string& input,
                                            std::string_view extraArguments, const std::string& output);

std::vector<std::string> splitExtraArguments(std::string_view extraArguments);
