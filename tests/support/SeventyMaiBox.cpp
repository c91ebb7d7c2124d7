// 70mai's top-level "GPS " box: 36-byte little-endian records, then 36 zero
// bytes.
#include "support/Bytes.h"
#include "support/TelemetryClips.h"

#include <cmath>

namespace testing_support {

using namespace bytes;

namespace {

// DDMM.MMM x 1000 of the absolute value.
uint32_t thousandthMinutes(double degrees) {
    const auto units = static_cast<uint64_t>(std::llround(std::fabs(degrees) * 60000.0));
    return static_cast<uint32_t>(units / 60000 * 100000 + units % 60000);
}

}  // namespace

std::string seventyMaiBox(const std::vector<DriveMoment>& drive) {
    std::string records;
    for (const DriveMoment& m : drive) {
        u32le(records, 1);
        u32le(records, 1);
        u32le(records, static_cast<uint32_t>(m.clipMs / 1000));
        u32le(records, m.fix ? static_cast<uint32_t>(std::lround(m.speedKmh * 1000.0)) : 0);
        records.push_back(m.latitude < 0 ? 'S' : 'N');
        u32le(records, m.fix ? thousandthMinutes(m.latitude) : 0);
        records.push_back(m.longitude < 0 ? 'W' : 'E');
        u32le(records, m.fix ? thousandthMinutes(m.longitude) : 0);
        records.append(10, '\0');
    }
    records.append(36, '\0');
    return box("GPS ", records);
}

}  // namespace testing_support
