#pragma once
// Comparison of paths and extensions without regard to letter case, as the
// playlist does it: only A..Z and a..z are folded, every other byte (and so
// every non-ASCII character of a UTF-8 text) must match exactly.
//
// Threads: any (pure functions).
#include <string>
#include <string_view>

std::string asciiLower(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// For hashed sets of texts that are equal without regard to ASCII case.
struct AsciiCaseHash {
    size_t operator()(std::string_view text) const;
};
struct AsciiCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return equalsIgnoringAsciiCase(a, b); }
};
