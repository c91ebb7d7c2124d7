// NMEA sentences of a moment, as text-track samples (plain and Thinkware),
// and Garmin's binary PNDM samples that share the text track.
#include "support/Bytes.h"
#include "support/TelemetryClips.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace testing_support {

using namespace bytes;

namespace {

// "DDMM.MMMM,N" (or DDDMM.MMMM for longitudes), rounded without a minute of 60.
std::string nmeaAngle(double degrees, bool longitude) {
    const auto units = static_cast<long long>(std::llround(std::fabs(degrees) * 60.0 * 10000.0));
    char text[32];
    std::snprintf(text, sizeof text, longitude ? "%03lld%02lld.%04lld,%c" : "%02lld%02lld.%04lld,%c", units / 600000,
                  units % 600000 / 10000, units % 10000,
                  longitude ? (degrees < 0 ? 'W' : 'E') : (degrees < 0 ? 'S' : 'N'));
    return text;
}

std::tm utcOf(int64_t ms) {
    const time_t seconds = static_cast<time_t>(ms / 1000);
    std::tm t{};
    gmtime_r(&seconds, &t);
    return t;
}

std::string clock(int64_t ms) {
    const std::tm t = utcOf(ms);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.%03d", t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(ms % 1000));
    return text;
}

std::string withChecksum(const std::string& body) {
    return body + "*" + nmeaChecksum(body);
}

std::string nmeaRmcBody(const DriveMoment& m, const std::string& talker);

}  // namespace

std::string nmeaChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char text[4];
    std::snprintf(text, sizeof text, "%02X", sum);
    return text;
}

std::string nmeaTalker(const DriveMoment& m) {
    return m.clipMs >= 10000 && m.clipMs < 11000 ? "GN" : "GP";
}

namespace {

// The RMC sentence between "$" and "*".
std::string nmeaRmcBody(const DriveMoment& m, const std::string& talker) {
    const std::tm t = utcOf(m.utcMs);
    char date[40];
    std::snprintf(date, sizeof date, "%02d%02d%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100);
    if (!m.fix) return talker + "RMC," + clock(m.utcMs) + ",V,,,,,,," + date + ",,,N";
    char motion[48];
    std::snprintf(motion, sizeof motion, "%.3f,%.2f", m.speedKmh / 1.852, m.courseDeg);
    return talker + "RMC," + clock(m.utcMs) + ",A," + nmeaAngle(m.latitude, false) + "," +
           nmeaAngle(m.longitude, true) + "," + motion + "," + date + ",,,A";
}

}  // namespace

std::string nmeaRmc(const DriveMoment& m, const std::string& talker) {
    return "$" + withChecksum(nmeaRmcBody(m, talker));
}

std::string nmeaGga(const DriveMoment& m, const std::string& talker) {
    if (!m.fix) return "$" + withChecksum(talker + "GGA," + clock(m.utcMs) + ",,,,,0,00,99.99,,M,,M,,");
    char rest[64];
    std::snprintf(rest, sizeof rest, ",1,09,0.9,%.1f,M,47.0,M,,", m.altitudeM);
    return "$" + withChecksum(talker + "GGA," + clock(m.utcMs) + "," + nmeaAngle(m.latitude, false) + "," +
                              nmeaAngle(m.longitude, true) + rest);
}

std::string nmeaSample(const DriveMoment& m, bool thinkware) {
    std::string text;
    if (thinkware) {
        // A range of 4 G over 512 counts: 128 counts a G.
        constexpr double kCountsPerG = 512.0 / 4.0;
        char g[64];
        std::snprintf(g, sizeof g, "gsensori,4,512,%ld,%ld,%ld;", std::lround(m.gx * kCountsPerG),
                      std::lround(m.gy * kCountsPerG), std::lround(m.gz * kCountsPerG));
        text = g + withChecksum(nmeaRmcBody(m, "GN")) + "\r\n;CAR,0,0,0,0.0,0,0,0,0,0,0,0,0";
    } else {
        const std::string talker = nmeaTalker(m);
        text = nmeaRmc(m, talker) + "\r\n" + nmeaGga(m, talker) + "\r\n";
    }
    std::string sample;
    u16be(sample, static_cast<uint32_t>(text.size()));
    return sample + text;
}

std::string garminSample(const DriveMoment& m) {
    std::string s;
    u16be(s, 20);
    s += "PNDM";
    u32be(s, 0);
    u16be(s, m.fix ? static_cast<uint32_t>(std::lround(m.speedKmh / 1.609344)) : 0);
    s += {'\x01', m.gz > 2.0 ? '\x01' : '\x00'};  // the bump is flagged as an event
    const auto units = [](double degrees) {
        return static_cast<int32_t>(std::llround(degrees * 2147483648.0 / 180.0));
    };
    i32be(s, m.fix ? units(m.latitude) : INT32_MIN);
    i32be(s, m.fix ? units(m.longitude) : INT32_MIN);
    return s;
}

}  // namespace testing_support
