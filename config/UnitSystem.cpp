#include "config/UnitSystem.h"

#include <array>
#include <charconv>
#include <cmath>

std::string_view Units::name(UnitSystem units) {
    return units == UnitSystem::Imperial ? "imperial" : "metric";
}

double Units::speed(double kmh, UnitSystem units) {
    return units == UnitSystem::Imperial ? kmh * 1000.0 / kMetresPerMile : kmh;
}

std::string Units::formatDistance(double metres, UnitSystem units, std::string_view decimalSign) {
    if (!std::isfinite(metres) || metres < 0.0) metres = 0.0;
    if (units == UnitSystem::Imperial) {
        if (metres < kFeetLimitMetres) return fixedNumber(metres / kMetresPerFoot, 0, decimalSign) + " ft";
        return fixedNumber(metres / kMetresPerMile, 1, decimalSign) + " mi";
    }
    if (metres < kMetresLimit) return fixedNumber(metres, 0, decimalSign) + " m";
    return fixedNumber(metres / 1000.0, 1, decimalSign) + " km";
}

std::string Units::fixedNumber(double value, int decimals, std::string_view decimalSign) {
    std::array<char, 330> buffer{};  // fixed notation of the largest double
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (error != std::errc()) return {};
    std::string number(buffer.data(), end);
    const size_t point = number.find('.');
    if (point != std::string::npos) number.replace(point, 1, decimalSign);
    return number;
}
