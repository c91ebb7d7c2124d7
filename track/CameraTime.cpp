#include "track/CameraTime.h"

bool cameraSeconds(const TrackRecord& r, int64_t& seconds) {
    return r.valid && platform::civilSeconds(r.year, r.month, r.day, r.hour, r.minute, r.second, seconds);
}

bool setCameraSeconds(int64_t seconds, TrackRecord& r) {
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    int64_t y = 0;
    int m = 0, d = 0;
    platform::civilFromDays(days, y, m, d);
    if (y < 1970 || y > 9999) return false;
    r.year = static_cast<int32_t>(y);
    r.month = static_cast<uint8_t>(m);
    r.day = static_cast<uint8_t>(d);
    r.hour = static_cast<uint8_t>(rest / 3600);
    r.minute = static_cast<uint8_t>(rest / 60 % 60);
    r.second = static_cast<uint8_t>(rest % 60);
    return true;
}
