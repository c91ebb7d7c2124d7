#include "map/CoordinateText.h"

#include <array>
#include <charconv>

std::string coordinateText(double degrees) {
    // Fixed notation of the largest double needs 309 digits before the point.
    std::array<char, 330> buffer{};
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), degrees, std::chars_format::fixed, 6);
    if (error != std::errc()) return {};
    return std::string(buffer.data(), end);
}
