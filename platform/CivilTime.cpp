#include "platform/CivilTime.h"

#include <cstdio>

namespace platform {

namespace {

bool leapYear(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int64_t year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

bool civilSeconds(int64_t year, int month, int day, int hour, int minute, int second, int64_t& seconds) {
    if (year < 1970 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return false;
    seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return true;
}

std::string formatSeconds(int64_t seconds, bool iso) {
    return formatMilliseconds(seconds * 1000, iso, false);
}

int64_t floorSeconds(int64_t ms) {
    // Never negates: -INT64_MIN does not exist.
    return ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
}

int64_t splitDay(int64_t ms, CivilMoment& c) {
    int64_t seconds = ms / 1000;
    c.millisecond = ms % 1000;
    if (c.millisecond < 0) c.millisecond += 1000, --seconds;
    int64_t days = seconds / 86400;
    c.secondOfDay = seconds % 86400;
    if (c.secondOfDay < 0) c.secondOfDay += 86400, --days;
    return days;
}

CivilMoment civilMomentOf(int64_t ms) {
    CivilMoment c;
    civilFromDays(splitDay(ms, c), c.year, c.month, c.day);
    return c;
}

std::string formatMilliseconds(int64_t ms, bool iso, bool fraction) {
    const CivilMoment c = civilMomentOf(ms);
    const int64_t y = c.year, rest = c.secondOfDay, milli = c.millisecond;
    const int m = c.month, d = c.day;
    char text[64];
    if (y < 0 || y > 9999) {
        std::snprintf(text, sizeof text, iso ? "%04lld-%02d-%02dT%02d:%02d:%02d" : "%04lld-%02d-%02d %02d:%02d:%02d",
                      static_cast<long long>(y), m, d, static_cast<int>(rest / 3600),
                      static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
        std::string out = text;
        if (fraction) {
            std::snprintf(text, sizeof text, ".%03d", static_cast<int>(milli));
            out += text;
        }
        if (iso) out += 'Z';
        return out;
    }
    // A track writer formats a time per record: no printf on that path.
    char* p = text;
    const auto two = [&p](int64_t v) {
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    two(y / 100);
    two(y % 100);
    *p++ = '-';
    two(m);
    *p++ = '-';
    two(d);
    *p++ = iso ? 'T' : ' ';
    two(rest / 3600);
    *p++ = ':';
    two(rest / 60 % 60);
    *p++ = ':';
    two(rest % 60);
    if (fraction) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + milli / 100);
        two(milli % 100);
    }
    if (iso) *p++ = 'Z';
    return std::string(text, p);
}

}  // namespace platform
