#include "dialogs/TimeZoneChoices.h"

#include <algorithm>
#include <array>

namespace {

// Every offset from UTC that some country keeps, in minutes.
constexpr std::array<int, 37> kOffsetMinutes = {
    -720, -660, -600, -570, -540, -480, -420, -360, -300, -240, -210, -180, -120, -60, 60,  120, 180, 210, 240,
    270,  300,  330,  345,  360,  390,  420,  480,  525,  540,  570,  600,  630,  660, 720, 765, 780, 840,
};

}  // namespace

std::vector<DisplayZone> timeZoneChoices(const DisplayZone& stored) {
    std::vector<DisplayZone> zones{DisplayZone(), DisplayZone::utc()};
    for (const int minutes : kOffsetMinutes) zones.push_back(DisplayZone::fixed(minutes * 60));
    const std::string text = stored.text();
    const bool listed =
        std::any_of(zones.begin(), zones.end(), [&](const DisplayZone& zone) { return zone.text() == text; });
    if (!listed) zones.push_back(stored);
    return zones;
}
