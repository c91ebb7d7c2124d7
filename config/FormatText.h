#pragma once
// printf-style formatting into a string: the needed length is measured
// first, so nothing is ever cut; a formatting error gives the empty string.
#include <string>

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string FormatText(const char* format, ...);
