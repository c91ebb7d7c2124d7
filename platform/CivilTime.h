#pragma once
// The proleptic Gregorian calendar against seconds since 1970 (no time
// zone): what every reader, writer and figure uses to turn a date and time
// into a moment and back. Plain functions; any thread.
#include <cstdint>
#include <string>

namespace platform {

// Days since 1970-01-01 of a date.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day);
void civilFromDays(int64_t days, int64_t& year, int& month, int& day);

// Milliseconds since 1970 as a calendar date, the second of that day and the
// millisecond of that second (both never negative).
struct CivilMoment {
    int64_t year = 1970;
    int month = 1, day = 1;
    int64_t secondOfDay = 0;
    int64_t millisecond = 0;
};
CivilMoment civilMomentOf(int64_t ms);
// The days since 1970 of milliseconds since 1970, with their second of that
// day and millisecond set in c (its date left as it is): for a caller that
// keeps the date of a day it has already worked out.
int64_t splitDay(int64_t ms, CivilMoment& c);
// The whole second milliseconds since 1970 fall in (rounded down, for any value).
int64_t floorSeconds(int64_t ms);

// Seconds since 1970 of a date and time when it is a real moment: year
// 1970-9999, month 1-12, a day of that month, hour < 24, minute and second < 60.
bool civilSeconds(int64_t year, int month, int day, int hour, int minute, int second, int64_t& seconds);

// "YYYY-MM-DD hh:mm:ss", or "YYYY-MM-DDThh:mm:ssZ" with iso, of seconds since 1970.
std::string formatSeconds(int64_t seconds, bool iso);
// The same of milliseconds since 1970, with ".mmm" after the seconds when
// fraction is set ("2026-12-07T13:15:00.100Z").
std::string formatMilliseconds(int64_t ms, bool iso, bool fraction);

}  // namespace platform
