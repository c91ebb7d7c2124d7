#pragma once
// The time zone in which UTC times are shown: the computer's own, UTC, or a
// fixed offset (for a camera whose clock or zone was set wrong). Setting
// `TimeZone` of section MPlayer: "system" (the default), "UTC", or an offset
// "+HH:MM" / "-HH:MM" up to 14 hours; anything else is the default.
// A plain value; any thread (the system zone is asked through localtime_r).
#include <cstdint>
#include <string>
#include <string_view>

class DisplayZone {
public:
    enum class Kind { System, Utc, Fixed };
    static constexpr std::string_view kKey = "TimeZone";

    static DisplayZone parse(std::string_view text);
    static DisplayZone utc() { return DisplayZone(Kind::Utc, 0); }
    static DisplayZone fixed(int offsetSeconds) { return DisplayZone(Kind::Fixed, offsetSeconds); }

    Kind kind() const { return kind_; }
    // How far this zone's clock is ahead of UTC at that moment (seconds since 1970).
    int64_t offsetAt(int64_t utcSeconds) const;
    // The same for a moment given as this zone's own clock (a camera clock
    // set to it): the offset that clock reading had, around a change of
    // summer time the later one.
    int64_t offsetAtLocal(int64_t localSeconds) const;
    // The setting's text: "system", "UTC" or "+HH:MM".
    std::string text() const;
    // An offset as times are written beside it: "UTC" for none, else "+HH:MM".
    static std::string offsetText(int64_t offsetSeconds);

    DisplayZone() = default;

private:
    DisplayZone(Kind kind, int offset) : kind_(kind), offset_(offset) {}
    Kind kind_ = Kind::System;
    int offset_ = 0;
};
