#include "track/TrackParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

constexpr size_t kDateTimeLength = 19;
// A degrees, minutes, seconds or axis part is a short number; anything longer
// is not a value this camera writes and is refused rather than cut.
constexpr size_t kMaxPartLength = 7;

enum class Scan { Number, NoNumber, Blank };

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view skipSpace(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    return s.substr(i);
}

// The rules of sscanf's "%d" on the characters of s alone: leading white
// space, an optional sign, then digits up to the first character that does
// not fit. Blank: nothing but white space. Callers keep s short enough that
// the value cannot overflow.
Scan scanInt(std::string_view s, int32_t& value) {
    s = skipSpace(s);
    if (s.empty()) return Scan::Blank;
    size_t i = 0;
    const bool negative = s[0] == '-';
    if (s[0] == '-' || s[0] == '+') ++i;
    if (i >= s.size() || !isDigit(s[i])) return Scan::NoNumber;
    int64_t v = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), INT32_MAX);
    value = static_cast<int32_t>(negative ? -v : v);
    return Scan::Number;
}

// A decimal number as "%f" reads it (sign, digits, point, exponent). Infinity,
// NaN, hexadecimal and out-of-range values count as no number: they are not
// positions or speeds.
bool scanFloat(std::string_view s, float& value) {
    s = skipSpace(s);
    size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++i;
    const size_t start = i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) ++j;
            i = j;
        }
    }
    float v = 0.0f;
    const auto [end, ec] = std::from_chars(s.data() + start, s.data() + i, v, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + i) return false;
    value = negative ? -v : v;
    return true;
}

// A part without the line end that may follow the last field of a text.
bool partTooLong(std::string_view part) {
    size_t n = part.size();
    while (n > 0 && isSpace(part[n - 1])) --n;
    return n > kMaxPartLength;
}

bool scanPartInt(std::string_view part, int32_t& value) {
    return !partTooLong(part) && scanInt(part, value) == Scan::Number;
}

bool scanPartFloat(std::string_view part, float& value) {
    return !partTooLong(part) && scanFloat(part, value);
}

struct CoordinateFields {
    char& hemisphere;
    uint8_t& degrees;
    uint8_t& minutes;
    float& seconds;
    double& value;
};

// "E113 56 12.34": letter, degrees, blank, minutes, blank, seconds.
bool parseCoordinate(std::string_view field, char positive, char negative, CoordinateFields out) {
    if (field.empty() || (field[0] != positive && field[0] != negative)) return false;
    out.hemisphere = field[0];
    const std::string_view rest = field.substr(1);
    const size_t blank1 = rest.find(' ');
    if (blank1 == std::string_view::npos) return false;
    const size_t blank2 = rest.find(' ', blank1 + 1);
    if (blank2 == std::string_view::npos) return false;
    int32_t degrees = 0;
    int32_t minutes = 0;
    float seconds = 0.0f;
    if (!scanPartInt(rest.substr(0, blank1), degrees)) return false;
    out.degrees = static_cast<uint8_t>(degrees);
    if (!scanPartInt(rest.substr(blank1 + 1, blank2 - blank1 - 1), minutes)) return false;
    out.minutes = static_cast<uint8_t>(minutes);
    if (!scanPartFloat(rest.substr(blank2 + 1), seconds)) return false;
    out.seconds = seconds;
    double v = out.degrees + (out.minutes * 60.0 + static_cast<double>(seconds)) / 3600.0;
    if (field[0] == negative) v *= -1.0;
    out.value = v;
    return true;
}

// Knots to km/h; a field without a number gives 0, and so does one whose
// km/h would not fit a float.
void parseSpeed(std::string_view field, float& speed) {
    float knots = 0.0f;
    const double kmh = scanFloat(field, knots) ? static_cast<double>(knots) * 1.852 : 0.0;
    speed = std::fabs(kmh) <= std::numeric_limits<float>::max() ? static_cast<float>(kmh) : 0.0f;
}

// "X:12": the axis letter, any one character, a signed integer.
bool parseAxis(std::string_view field, char letter, int32_t& value) {
    if (field.size() <= 2 || field[0] != letter) return false;
    return scanPartInt(field.substr(2), value);
}

// Two-character date or time number; a field without a number fails.
bool parseTwoDigits(std::string_view text, size_t at, uint8_t& out) {
    int32_t v = 0;
    if (scanInt(text.substr(at, 2), v) != Scan::Number) return false;
    out = static_cast<uint8_t>(v);
    return true;
}

// The field from `from` to the next slash (or the end); `next` gets the slash.
std::string_view fieldFrom(std::string_view text, size_t from, size_t& next) {
    next = text.find('/', from);
    return text.substr(from, next == std::string_view::npos ? std::string_view::npos : next - from);
}

}  // namespace

bool TrackParser::parse(const char* text) {
    if (text == nullptr) {
        record_.valid = false;
        return false;
    }
    return parseText(text, false);
}

bool TrackParser::parse(std::string_view text) {
    // A text ends at its first zero byte, as it would in a C string.
    if (const void* nul = std::memchr(text.data(), 0, text.size()))
        text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    return parseText(text, false);
}

bool TrackParser::parseLive(std::string_view text) {
    if (const void* nul = std::memchr(text.data(), 0, text.size()))
        text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    return parseText(text, true);
}

bool TrackParser::parseText(std::string_view text, bool live) {
    TrackRecord& r = record_;
    r.valid = false;
    if (text.size() <= kDateTimeLength) return false;
    const size_t slash1 = text.find('/');
    if (slash1 == std::string_view::npos || slash1 < kDateTimeLength) return false;

    // Date and time: the 19 characters in front of the first slash.
    const size_t d = slash1 - kDateTimeLength;
    int32_t year = 0;
    const Scan yearScan = scanInt(text.substr(d, 4), year);
    if (yearScan == Scan::Blank) return false;
    r.year = yearScan == Scan::Number ? year : 0;
    if (!parseTwoDigits(text, d + 5, r.month) || !parseTwoDigits(text, d + 8, r.day) ||
        !parseTwoDigits(text, d + 11, r.hour) || !parseTwoDigits(text, d + 14, r.minute) ||
        !parseTwoDigits(text, d + 17, r.second))
        return false;

    size_t slash2 = 0;
    const std::string_view lonField = fieldFrom(text, slash1 + 1, slash2);
    if (slash2 == std::string_view::npos) return false;
    if (!parseCoordinate(
            lonField, 'E', 'W',
            {r.longitudeHemisphere, r.longitudeDegrees, r.longitudeMinutes, r.longitudeSeconds, r.longitude}))
        return false;

    size_t slash3 = 0;
    const std::string_view latField = fieldFrom(text, slash2 + 1, slash3);
    if (!parseCoordinate(latField, 'N', 'S',
                         {r.latitudeHemisphere, r.latitudeDegrees, r.latitudeMinutes, r.latitudeSeconds, r.latitude}))
        return false;
    // A text may end after the latitude; speed and axes keep their values.
    if (slash3 == std::string_view::npos) return r.valid = true;

    size_t slash4 = 0;
    const std::string_view speedField = fieldFrom(text, slash3 + 1, slash4);
    parseSpeed(speedField, r.speed);
    if (live || slash4 == std::string_view::npos) return r.valid = true;

    size_t slash5 = 0;
    const std::string_view xField = fieldFrom(text, slash4 + 1, slash5);
    if (slash5 == std::string_view::npos || !parseAxis(xField, 'X', r.accelX)) return false;
    size_t slash6 = 0;
    const std::string_view yField = fieldFrom(text, slash5 + 1, slash6);
    if (slash6 == std::string_view::npos || !parseAxis(yField, 'Y', r.accelY)) return false;
    size_t slash7 = 0;
    const std::string_view zField = fieldFrom(text, slash6 + 1, slash7);
    if (!parseAxis(zField, 'Z', r.accelZ)) return false;
    return r.valid = true;
}

TrackParser::~TrackParser() {
    stopLive();
}

TrackRecord TrackParser::liveRecord() const {
    std::lock_guard lock(liveMutex_);
    return live_;
}

bool TrackParser::startLive(platform::MessageTarget* target) {
    if (target == nullptr || running_.load()) return false;
    {
        std::lock_guard lock(inputMutex_);
        stopping_ = false;
    }
    target_ = target;
    try {
        worker_ = std::thread([this] { liveLoop(); });
    } catch (const std::system_error&) {
        return false;
    }
    running_.store(true);
    return true;
}

void TrackParser::submit(const char* text, int32_t tag) {
    if (text == nullptr) return;
    {
        std::lock_guard lock(inputMutex_);
        tag_ = tag;
        input_.fill(0);
        std::memcpy(input_.data(), text, strnlen(text, kTextSize - 1));
        pending_ = true;
    }
    wake_.notify_one();
}

void TrackParser::stopLive() {
    {
        std::lock_guard lock(inputMutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
    running_.store(false);
}

void TrackParser::liveLoop() {
    for (;;) {
        int32_t tag = 0;
        {
            std::unique_lock lock(inputMutex_);
            wake_.wait(lock, [this] { return pending_ || stopping_; });
            if (stopping_) return;
            work_ = input_;
            tag = tag_;
            pending_ = false;
        }
        const bool parsed = parseLive(std::string_view(work_.data(), strnlen(work_.data(), kTextSize)));
        {
            std::lock_guard lock(liveMutex_);
            live_ = record_;
        }
        target_->sendMessage(platform::WM_TRACK_LIVE, static_cast<uintptr_t>(static_cast<intptr_t>(tag)),
                             parsed ? 1 : 0);
    }
}
