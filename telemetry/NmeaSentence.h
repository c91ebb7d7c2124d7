#pragma once
// One NMEA 0183 sentence of a GPS receiver: RMC (date, UTC time, status,
// position, speed, course) and GGA (UTC time, fix quality, position,
// satellites, altitude), of any talker ($GP, $GN, $GL, $BD ...). The `*hh`
// checksum is checked whenever it is there; a sentence without one is
// refused unless the caller allows it (a few cameras drop it). A field the
// sentence leaves empty stays unset; a field that is there but malformed or
// out of range refuses the whole sentence, so garbage never becomes a fix.
// A plain value; any thread.
#include <cstdint>
#include <string_view>

class NmeaSentence {
public:
    enum class Type : uint8_t { None, Rmc, Gga };

    // Reads one sentence; the leading `$` is optional, line ends, spaces and
    // NULs around it are ignored. False (type None) for any other sentence.
    bool parse(std::string_view text, bool checksumRequired = true);

    Type type() const { return type_; }
    // RMC status `A`, or GGA fix quality above 0.
    bool valid() const { return valid_; }

    bool hasTime() const { return hasTime_; }
    int64_t timeOfDayMs() const { return timeOfDayMs_; }  // UTC, 0 .. 86'399'999
    bool hasDate() const { return hasDate_; }             // RMC only
    int year() const { return year_; }                    // four digits (yy < 80: 20yy)
    int month() const { return month_; }
    int day() const { return day_; }
    // Date and time as UTC milliseconds since 1970; false without both.
    bool utcMs(int64_t& ms) const;

    bool hasPosition() const { return hasPosition_; }
    double latitude() const { return latitude_; }  // degrees, north positive
    double longitude() const { return longitude_; }
    bool hasSpeed() const { return hasSpeed_; }  // RMC only
    double knots() const { return knots_; }
    bool hasCourse() const { return hasCourse_; }  // RMC only
    double courseDeg() const { return courseDeg_; }
    bool hasAltitude() const { return hasAltitude_; }  // GGA only
    double altitudeM() const { return altitudeM_; }
    int satellites() const { return satellites_; }  // GGA; -1 when not given

private:
    void reset();

    Type type_ = Type::None;
    bool valid_ = false;
    bool hasTime_ = false;
    bool hasDate_ = false;
    bool hasPosition_ = false;
    bool hasSpeed_ = false;
    bool hasCourse_ = false;
    bool hasAltitude_ = false;
    int64_t timeOfDayMs_ = 0;
    int year_ = 0, month_ = 0, day_ = 0;
    double latitude_ = 0.0, longitude_ = 0.0;
    double knots_ = 0.0, courseDeg_ = 0.0, altitudeM_ = 0.0;
    int satellites_ = -1;
};
