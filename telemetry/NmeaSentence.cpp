#include "telemetry/NmeaSentence.h"

#include "platform/CivilTime.h"

#include <charconv>
#include <cmath>

namespace {

// Longer than any real sentence (82 characters) with room for odd receivers.
constexpr size_t kMaxLength = 256;
constexpr size_t kMaxFields = 24;

bool isSpace(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == '\0';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool digits(std::string_view s) {
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

int twoDigits(std::string_view s, size_t at) {
    return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

// A plain decimal number: no sign unless allowed, no exponent, no inf/nan.
bool number(std::string_view s, double& value, bool negativeAllowed = false) {
    if (s.empty() || s.size() > 32) return false;
    for (const char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || (negativeAllowed && c == '-'))) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(value);
}

// hhmmss with an optional fraction.
bool timeOfDay(std::string_view s, int64_t& ms) {
    const size_t dot = s.find('.');
    const std::string_view whole = s.substr(0, dot);
    if (whole.size() != 6 || !digits(whole)) return false;
    const int h = twoDigits(whole, 0), m = twoDigits(whole, 2), sec = twoDigits(whole, 4);
    if (h > 23 || m > 59 || sec > 59) return false;
    int fraction = 0;
    if (dot != std::string_view::npos) {
        const std::string_view rest = s.substr(dot + 1);
        if (!rest.empty() && !digits(rest)) return false;
        for (size_t i = 0; i < 3; ++i) fraction = fraction * 10 + (i < rest.size() ? rest[i] - '0' : 0);
    }
    ms = ((h * 60 + m) * 60 + sec) * 1000LL + fraction;
    return true;
}

// (D)DDMM.MMMM and its letter to signed degrees.
bool coordinate(std::string_view value, std::string_view letter, char positive, char negative, double limit,
                double& degrees) {
    double v = 0.0;
    if (!number(value, v) || letter.size() != 1 || (letter[0] != positive && letter[0] != negative)) return false;
    const double whole = std::floor(v / 100.0);
    const double minutes = v - whole * 100.0;
    if (minutes >= 60.0) return false;
    degrees = whole + minutes / 60.0;
    if (degrees > limit) return false;
    if (letter[0] == negative) degrees = -degrees;
    return true;
}

}  // namespace

void NmeaSentence::reset() {
    *this = NmeaSentence();
}

bool NmeaSentence::parse(std::string_view text, bool checksumRequired) {
    reset();
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    if (text.empty() || text.size() > kMaxLength) return false;

    const size_t star = text.find('*');
    if (star != std::string_view::npos) {
        if (text.size() != star + 3) return false;
        const int hi = hexValue(text[star + 1]), lo = hexValue(text[star + 2]);
        if (hi < 0 || lo < 0) return false;
        unsigned char sum = 0;
        for (size_t i = 0; i < star; ++i) sum ^= static_cast<unsigned char>(text[i]);
        if (sum != hi * 16 + lo) return false;
        text = text.substr(0, star);
    } else if (checksumRequired) {
        return false;
    }

    std::string_view field[kMaxFields];
    size_t count = 0;
    for (size_t from = 0; count < kMaxFields;) {
        const size_t comma = text.find(',', from);
        field[count++] = text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from);
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    // A two-letter talker, then the sentence's name.
    const std::string_view id = field[0];
    if (id.size() != 5 || id[0] < 'A' || id[0] > 'Z' || id[1] < 'A' || id[1] > 'Z') return false;
    const std::string_view name = id.substr(2);
    const Type type = name == "RMC" ? Type::Rmc : name == "GGA" ? Type::Gga : Type::None;
    if (type == Type::None) return false;
    const auto at = [&](size_t i) { return i < count ? field[i] : std::string_view(); };

    bool ok = true;
    if (!at(1).empty()) ok = hasTime_ = timeOfDay(at(1), timeOfDayMs_);
    const size_t latAt = type == Type::Rmc ? 3 : 2;
    if (ok && !at(latAt).empty()) {
        ok = coordinate(at(latAt), at(latAt + 1), 'N', 'S', 90.0, latitude_) &&
             coordinate(at(latAt + 2), at(latAt + 3), 'E', 'W', 180.0, longitude_);
        hasPosition_ = ok;
    }
    if (ok && type == Type::Rmc) {
        valid_ = at(2) == "A";
        if (!at(7).empty()) ok = hasSpeed_ = number(at(7), knots_) && knots_ < 100'000.0;
        if (ok && !at(8).empty()) ok = hasCourse_ = number(at(8), courseDeg_) && courseDeg_ <= 360.0;
        if (ok && !at(9).empty()) {
            const std::string_view d = at(9);
            ok = d.size() == 6 && digits(d);
            if (ok) {
                const int yy = twoDigits(d, 4);
                year_ = yy < 80 ? 2000 + yy : 1900 + yy;
                month_ = twoDigits(d, 2);
                day_ = twoDigits(d, 0);
                int64_t seconds = 0;
                ok = hasDate_ = platform::civilSeconds(year_, month_, day_, 0, 0, 0, seconds);
            }
        }
    } else if (ok) {
        double quality = 0.0;
        if (!at(6).empty()) ok = digits(at(6)) && number(at(6), quality);
        valid_ = ok && quality > 0.0;
        double sats = 0.0;
        if (ok && !at(7).empty()) {
            ok = digits(at(7)) && number(at(7), sats) && sats < 1000.0;
            satellites_ = static_cast<int>(sats);
        }
        if (ok && !at(9).empty()) ok = hasAltitude_ = number(at(9), altitudeM_, true) && std::fabs(altitudeM_) < 1e6;
    }
    if (!ok) {
        reset();
        return false;
    }
    type_ = type;
    return true;
}

bool NmeaSentence::utcMs(int64_t& ms) const {
    if (!hasDate_ || !hasTime_) return false;
    int64_t seconds = 0;
    if (!platform::civilSeconds(year_, month_, day_, 0, 0, 0, seconds)) return false;
    ms = seconds * 1000 + timeOfDayMs_;
    return true;
}
