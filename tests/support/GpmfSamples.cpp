// GoPro GPMF payloads: one DEVC a second with a GPS stream (GPS5 with GPSU,
// or GPS9) and an ACCL stream, every record big-endian KLV.
#include "support/Bytes.h"
#include "support/TelemetryClips.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace testing_support {

using namespace bytes;

namespace {

constexpr double kGravity = 9.80665;
constexpr int64_t kMsFrom1970To2000 = 946684800000;

std::string longs(std::initializer_list<int64_t> values) {
    std::string s;
    for (int64_t v : values) i32be(s, static_cast<int32_t>(v));
    return s;
}

int64_t scaled(double v, double scale) {
    return std::llround(v * scale);
}

}  // namespace

// key, type, element size, repeat, data padded to four bytes.
std::string gpmfKlv(const char* key, char type, size_t elementSize, size_t repeat, const std::string& data) {
    std::string r(key, 4);
    r.push_back(type);
    u8(r, static_cast<uint32_t>(elementSize));
    u16be(r, static_cast<uint32_t>(repeat));
    r += data;
    r.resize(r.size() + (4 - data.size() % 4) % 4, '\0');
    return r;
}

std::string gpmfNested(const char* key, const std::string& body) {
    return gpmfKlv(key, '\0', 1, body.size(), body);
}

std::string gpmfSample(const std::vector<DriveMoment>& second, bool gps9) {
    bool anyFix = false;
    for (const DriveMoment& m : second) anyFix = anyFix || m.fix;
    std::string gps;
    if (gps9) {
        gps += gpmfKlv("SCAL", 'l', 4, 9, longs({10000000, 10000000, 1000, 1000, 100, 1, 1000, 100, 1}));
        gps += gpmfKlv("TYPE", 'c', 1, 9, "lllllllSS");
        std::string fixes;
        for (const DriveMoment& m : second) {
            const int64_t since2000 = m.utcMs - kMsFrom1970To2000;
            const double lat = m.fix ? m.latitude : 0.0, lon = m.fix ? m.longitude : 0.0;
            const double mps = m.fix ? m.speedKmh / 3.6 : 0.0;
            fixes += longs({scaled(lat, 1e7), scaled(lon, 1e7), scaled(m.altitudeM, 1000), scaled(mps, 1000),
                            scaled(mps, 100), since2000 / 86400000, since2000 % 86400000});
            u16be(fixes, m.fix ? 90 : 9999);  // dop x 100
            u16be(fixes, m.fix ? 3 : 0);
        }
        gps += gpmfKlv("GPS9", '?', 32, second.size(), fixes);
    } else {
        char utc[48] = "000101000000.000";
        if (!second.empty()) {
            const time_t s = static_cast<time_t>(second.front().utcMs / 1000);
            std::tm t{};
            gmtime_r(&s, &t);
            std::snprintf(utc, sizeof utc, "%02d%02d%02d%02d%02d%02d.%03d", t.tm_year % 100, t.tm_mon + 1, t.tm_mday,
                          t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(second.front().utcMs % 1000));
        }
        gps += gpmfKlv("GPSU", 'U', 16, 1, std::string(utc, 16));
        gps += gpmfKlv("GPSF", 'L', 4, 1, longs({anyFix ? 3 : 0}));
        gps += gpmfKlv("GPSP", 'S', 2, 1, std::string{'\0', anyFix ? '\x5a' : '\x27'});  // 90 or 39 (dop x 100)
        gps += gpmfKlv("SCAL", 'l', 4, 5, longs({10000000, 10000000, 1000, 1000, 100}));
        std::string fixes;
        for (const DriveMoment& m : second) {
            const double lat = m.fix ? m.latitude : 0.0, lon = m.fix ? m.longitude : 0.0;
            const double mps = m.fix ? m.speedKmh / 3.6 : 0.0;
            fixes += longs(
                {scaled(lat, 1e7), scaled(lon, 1e7), scaled(m.altitudeM, 1000), scaled(mps, 1000), scaled(mps, 100)});
        }
        gps += gpmfKlv("GPS5", 'l', 20, second.size(), fixes);  // last in its stream: SCAL applies to it
    }

    std::string accel = gpmfKlv("SCAL", 's', 2, 1, std::string{'\x01', '\xa2'});  // 418
    accel += gpmfKlv("SIUN", 'c', 4, 1, "m/s\xb2");
    std::string readings;
    for (const DriveMoment& m : second)
        for (double g : {m.gx, m.gy, m.gz}) u16be(readings, static_cast<uint16_t>(std::lround(g * kGravity * 418.0)));
    accel += gpmfKlv("ACCL", 's', 6, second.size(), readings);

    std::string devc = gpmfKlv("DVID", 'L', 4, 1, longs({1}));
    devc += gpmfKlv("DVNM", 'c', 1, 6, "Camera");
    devc += gpmfNested("STRM", gps);
    devc += gpmfNested("STRM", accel);
    return gpmfNested("DEVC", devc);
}

}  // namespace testing_support
