#pragma once
// Reads one line of the player's output (without its line end). Pure: no
// state, any thread; every input, however malformed, gives a PlayerLine.
//
// Prefixes are compared without regard to letter case and the first that
// matches decides. Numbers are read as atoi/atof would, but independent of
// the C locale, saturated instead of overflowing, and a value that is not
// finite reads as 0.
#include "player/PlayerLine.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

class PlayerLineParser {
public:
    static constexpr size_t kMaxSubtitleText = 127;
    static constexpr size_t kMaxScreenshotName = 31;

    static PlayerLine parse(std::string_view line);

    // Leading blanks, a sign and decimal digits; no number gives 0.
    static int32_t integerValue(std::string_view text);
    // Leading blanks, then a decimal number; no number gives 0.
    static double floatingValue(std::string_view text);
};
