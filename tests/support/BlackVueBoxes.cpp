// BlackVue's data: NMEA lines stamped with epoch milliseconds, G-sensor
// records, and the top-level free box that holds both.
#include "support/Bytes.h"
#include "support/TelemetryClips.h"

#include <cmath>

namespace testing_support {

using namespace bytes;

namespace {

constexpr int64_t kCameraZoneMs = 3600000;  // the camera's clock runs on UTC+1

}  // namespace

std::string blackVueGpsText(const std::vector<DriveMoment>& drive) {
    std::string text;
    for (const DriveMoment& m : drive) {
        const std::string stamp = "[" + std::to_string(m.utcMs) + "]";
        text += stamp + nmeaRmc(m, "GP") + "\r\n" + stamp + nmeaGga(m, "GP") + "\r\n";
    }
    return text;
}

std::string blackVue3gf(const std::vector<DriveMoment>& drive) {
    std::string records;
    for (const DriveMoment& m : drive) {
        u32be(records, static_cast<uint32_t>(m.clipMs));
        for (double g : {m.gx, m.gy, m.gz}) u16be(records, static_cast<uint16_t>(std::lround(g * 100.0)));
    }
    u32be(records, 0xFFFFFFFF);
    records.append(6, '\0');
    return records;
}

std::string blackVueFreeBox(const std::vector<DriveMoment>& drive) {
    std::string children = box("cprt", " Pittasoft Co., Ltd.;DR900S-2CH;1.008;English K;");
    std::string start;
    const int64_t clipStartUtc = drive.empty() ? 0 : drive.front().utcMs - drive.front().clipMs;
    u64be(start, static_cast<uint64_t>(clipStartUtc + kCameraZoneMs));
    children += box("sttm", start);
    std::string gps = blackVueGpsText(drive);
    gps.resize((gps.size() / 64 + 1) * 64, '\0');
    children += box("gps ", gps);
    children += box("3gf ", blackVue3gf(drive));
    return box("free", children);
}

}  // namespace testing_support
