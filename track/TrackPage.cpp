#include "track/TrackPage.h"

bool TrackPage::append(const TrackRecord& record) {
    const int32_t n = count_.load(std::memory_order_relaxed);
    if (n >= kCapacity) return false;
    TrackRecord& to = records_[static_cast<size_t>(n)];
    to.valid = record.valid;
    // An invalid record only marks its place; its other fields are not read.
    if (record.valid) {
        to.year = record.year;
        to.month = record.month;
        to.day = record.day;
        to.hour = record.hour;
        to.minute = record.minute;
        to.second = record.second;
        to.longitude = record.longitude;
        to.latitude = record.latitude;
        to.speed = record.speed;
        to.accelX = record.accelX;
        to.accelY = record.accelY;
        to.accelZ = record.accelZ;
    }
    count_.store(n + 1, std::memory_order_release);
    return true;
}
