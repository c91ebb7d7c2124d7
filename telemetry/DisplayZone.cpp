#include "telemetry/DisplayZone.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr int kMaxOffsetSeconds = 14 * 3600;

bool digits(std::string_view text, int& value) {
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return !text.empty();
}

}  // namespace

DisplayZone DisplayZone::parse(std::string_view text) {
    if (text == "UTC" || text == "utc") return utc();
    // "+HH:MM" or "-HH:MM"
    if (text.size() == 6 && (text[0] == '+' || text[0] == '-') && text[3] == ':') {
        int hours = 0, minutes = 0;
        if (digits(text.substr(1, 2), hours) && digits(text.substr(4, 2), minutes) && minutes < 60) {
            const int offset = hours * 3600 + minutes * 60;
            if (offset <= kMaxOffsetSeconds) return fixed(text[0] == '-' ? -offset : offset);
        }
    }
    return {};
}

int64_t DisplayZone::offsetAt(int64_t utcSeconds) const {
    switch (kind_) {
        case Kind::Utc:
            return 0;
        case Kind::Fixed:
            return offset_;
        case Kind::System:
            break;
    }
    const auto t = static_cast<time_t>(utcSeconds);
    struct tm local {};
    if (::localtime_r(&t, &local) == nullptr) return 0;
    return local.tm_gmtoff;
}

int64_t DisplayZone::offsetAtLocal(int64_t localSeconds) const {
    return offsetAt(localSeconds - offsetAt(localSeconds - offsetAt(localSeconds)));
}

std::string DisplayZone::offsetText(int64_t offsetSeconds) {
    if (offsetSeconds == 0) return "UTC";
    const int64_t a = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    char out[16];
    std::snprintf(out, sizeof out, "%c%02d:%02d", offsetSeconds < 0 ? '-' : '+', static_cast<int>(a / 3600 % 100),
                  static_cast<int>(a / 60 % 60));
    return out;
}

std::string DisplayZone::text() const {
    if (kind_ == Kind::System) return "system";
    if (kind_ == Kind::Utc) return "UTC";
    const int a = offset_ < 0 ? -offset_ : offset_;
    char out[8];
    std::snprintf(out, sizeof out, "%c%02d:%02d", offset_ < 0 ? '-' : '+', a / 3600 % 100, a / 60 % 60);
    return out;
}
