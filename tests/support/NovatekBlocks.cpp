// freeGPS blocks as Novatek-based cameras write them inside mdat.
#include "support/Bytes.h"
#include "support/TelemetryClips.h"

#include <cmath>
#include <ctime>

namespace testing_support {

using namespace bytes;

namespace {

// Absolute degrees as DDMM.MMMM.
double ddmm(double degrees) {
    const double a = std::fabs(degrees);
    const double whole = std::floor(a);
    return whole * 100.0 + (a - whole) * 60.0;
}

int32_t milliG(double g, double perG) {
    return static_cast<int32_t>(std::lround(g * perG));
}

}  // namespace

std::string novatekBlock(const DriveMoment& m, ClipLayout layout, bool localTime) {
    const size_t size = layout == ClipLayout::NovatekV3 ? 0x4000 : 0x8000;
    const time_t seconds = static_cast<time_t>(m.utcMs / 1000);
    std::tm t{};
    gmtime_r(&seconds, &t);
    const uint32_t year = static_cast<uint32_t>(t.tm_year + 1900 - (localTime ? 0 : 2000));
    const char status = m.fix ? 'A' : 'V';
    const char ns = m.latitude < 0 ? 'S' : 'N', ew = m.longitude < 0 ? 'W' : 'E';
    const double lat = m.fix ? ddmm(m.latitude) : 0.0, lon = m.fix ? ddmm(m.longitude) : 0.0;
    const double knots = m.fix ? m.speedKmh / 1.852 : 0.0, course = m.fix ? m.courseDeg : 0.0;

    std::string b;
    u32be(b, size);
    b += "freeGPS ";
    if (layout == ClipLayout::NovatekV3) {
        u32le(b, 0x3F0);
        for (uint32_t v : {uint32_t(t.tm_hour), uint32_t(t.tm_min), uint32_t(t.tm_sec), year, uint32_t(t.tm_mon + 1),
                           uint32_t(t.tm_mday)})
            u32le(b, v);
        b += {status, ns, ew, '\0'};
        for (double v : {lat, lon, knots, course}) f32le(b, static_cast<float>(v));
        for (double g : {m.gx, m.gy, m.gz}) i32le(b, milliG(g, 256.0));
    } else if (layout == ClipLayout::NovatekDoubles) {
        u32le(b, 0x108);
        b.resize(0x30, '\0');
        for (uint32_t v : {uint32_t(t.tm_hour), uint32_t(t.tm_min), uint32_t(t.tm_sec)}) u32le(b, v);
        u32le(b, uint8_t(status));
        f64le(b, lat);
        u32le(b, uint8_t(ns));
        b.resize(0x50, '\0');
        f64le(b, lon);
        u32le(b, uint8_t(ew));
        b.resize(0x60, '\0');
        f64le(b, knots);
        f64le(b, course);
        for (uint32_t v : {year, uint32_t(t.tm_mon + 1), uint32_t(t.tm_mday)}) u32le(b, v);
        for (double g : {m.gx, m.gy, m.gz}) i32le(b, milliG(g, 1000.0));
    } else {
        u32le(b, 0x4C);
        b.resize(0x30, '\0');
        for (uint32_t v : {uint32_t(t.tm_hour), uint32_t(t.tm_min), uint32_t(t.tm_sec), year, uint32_t(t.tm_mon + 1),
                           uint32_t(t.tm_mday)})
            u32le(b, v);
        b += {status, ns, ew, '\0'};
        for (double v : {lat, lon, knots, course}) f32le(b, static_cast<float>(v));
    }
    b.resize(size, '\0');
    return b;
}

}  // namespace testing_support
