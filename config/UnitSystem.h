#pragma once
// Metric or imperial figures: the "Units" setting, the conversion of speeds
// and distances from the recorded units (km/h, metres) and their texts, for
// the panel and every other view that shows a speed or a distance.
//
// Threads: plain functions on values; any thread. Nothing starts or stops.
#include <cstdint>
#include <string>
#include <string_view>

enum class UnitSystem : uint8_t { Metric = 0, Imperial = 1 };

class Units {
public:
    static constexpr std::string_view kSettingKey = "Units";
    static constexpr double kMetresPerMile = 1609.344;
    static constexpr double kMetresPerFoot = 0.3048;
    // Below a tenth of a mile a distance is written in feet, below a kilometre in metres.
    static constexpr double kFeetLimitMetres = kMetresPerMile / 10.0;
    static constexpr double kMetresLimit = 1000.0;

    // The stored value: 1 is imperial; anything else (a hand-edited file) is metric.
    static UnitSystem fromSetting(int value) { return value == 1 ? UnitSystem::Imperial : UnitSystem::Metric; }
    static int toSetting(UnitSystem units) { return units == UnitSystem::Imperial ? 1 : 0; }
    // "metric" or "imperial".
    static std::string_view name(UnitSystem units);

    // km/h as recorded, or mph.
    static double speed(double kmh, UnitSystem units);
    // "12.3 km", "850 m", "1.2 mi", "900 ft" with the language's decimal
    // sign; a distance that is negative or not a number counts as 0.
    static std::string formatDistance(double metres, UnitSystem units, std::string_view decimalSign = ".");
    // A fixed-point number with the given decimal sign, independent of the
    // process locale (which Qt sets from the environment); "" when it cannot be written.
    static std::string fixedNumber(double value, int decimals, std::string_view decimalSign);
};
