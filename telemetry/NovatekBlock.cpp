#include "telemetry/NovatekBlock.h"

#include "platform/CivilTime.h"
#include "telemetry/BigEndian.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kKnotsToKmh = 1.852;
constexpr double kMaxSpeedKmh = 1000.0;
constexpr double kMaxAccelG = 64.0;

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

float f32(const unsigned char* p) {
    const uint32_t bits = le32(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double f64(const unsigned char* p) {
    const uint64_t bits = uint64_t(le32(p)) | (uint64_t(le32(p + 4)) << 32);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

using Layout = NovatekBlock::Layout;

struct Fields {
    size_t status, northSouth, eastWest;  // where the letters stand
    size_t extent;                        // bytes the layout uses
    size_t hour, minute, second, year, month, day;
    bool doubles;
    size_t latitude, longitude, knots, course;  // f32, or f64 with doubles
    size_t accel;                               // 0: none
    double accelDivisor;
};

// clang-format off
constexpr Fields kClassic = {.status = 0x48, .northSouth = 0x49, .eastWest = 0x4A, .extent = 0x5C,
                             .hour = 0x30, .minute = 0x34, .second = 0x38, .year = 0x3C, .month = 0x40, .day = 0x44,
                             .doubles = false, .latitude = 0x4C, .longitude = 0x50, .knots = 0x54, .course = 0x58,
                             .accel = 0, .accelDivisor = 1.0};
constexpr Fields kV3 = {.status = 0x28, .northSouth = 0x29, .eastWest = 0x2A, .extent = 0x48,
                        .hour = 0x10, .minute = 0x14, .second = 0x18, .year = 0x1C, .month = 0x20, .day = 0x24,
                        .doubles = false, .latitude = 0x2C, .longitude = 0x30, .knots = 0x34, .course = 0x38,
                        .accel = 0x3C, .accelDivisor = 256.0};
constexpr Fields kDoubles = {.status = 0x3C, .northSouth = 0x48, .eastWest = 0x58, .extent = 0x88,
                             .hour = 0x30, .minute = 0x34, .second = 0x38, .year = 0x70, .month = 0x74, .day = 0x78,
                             .doubles = true, .latitude = 0x40, .longitude = 0x50, .knots = 0x60, .course = 0x68,
                             .accel = 0x7C, .accelDivisor = 1000.0};
// clang-format on

const Fields& fieldsOf(Layout layout) {
    return layout == Layout::Classic ? kClassic : layout == Layout::V3 ? kV3 : kDoubles;
}

bool letterOr0(unsigned char c, char a, char b) {
    return c == a || c == b || c == 0;
}

// A fix carries both letters; a block without a fix may leave them zero.
bool layoutMatches(const unsigned char* p, size_t n, Layout layout) {
    const Fields& f = fieldsOf(layout);
    if (n < f.eastWest + 4) return false;
    const unsigned char status = p[f.status];
    if (status != 'A' && status != 'V') return false;
    if (f.doubles) {  // u32 fields: the letters' other bytes are zero
        for (size_t at : {f.status, f.northSouth, f.eastWest})
            if (p[at + 1] != 0 || p[at + 2] != 0 || p[at + 3] != 0) return false;
    }
    const unsigned char ns = p[f.northSouth], ew = p[f.eastWest];
    if (status == 'A') return (ns == 'N' || ns == 'S') && (ew == 'E' || ew == 'W');
    return letterOr0(ns, 'N', 'S') && letterOr0(ew, 'E', 'W');
}

// DDMM.MMMM (absolute) to degrees; false when it is no coordinate.
bool degreesOf(double v, double limit, double& degrees) {
    if (!std::isfinite(v) || v < 0.0) return false;
    const double whole = std::floor(v / 100.0);
    const double minutes = v - whole * 100.0;
    degrees = whole + minutes / 60.0;
    return minutes < 60.0 && degrees <= limit;
}

// The block's date and time; a year written in full (2000 or more) is the
// camera's local clock, a year - 2000 is UTC.
void readTime(const unsigned char* p, const Fields& f, TelemetrySample& s) {
    const uint32_t h = le32(p + f.hour), mi = le32(p + f.minute), sec = le32(p + f.second);
    uint32_t y = le32(p + f.year);
    const uint32_t mo = le32(p + f.month), d = le32(p + f.day);
    TelemetryTime kind = TelemetryTime::Utc;
    if (y >= 2000 && y < 2100) {
        kind = TelemetryTime::Camera;
    } else if (y < 100) {
        y += 2000;
    } else {
        return;
    }
    if (h > 23 || mi > 59 || sec > 59 || mo < 1 || mo > 12 || d < 1 || d > 31) return;
    int64_t seconds = 0;
    if (!platform::civilSeconds(y, static_cast<int>(mo), static_cast<int>(d), static_cast<int>(h),
                                static_cast<int>(mi), static_cast<int>(sec), seconds))
        return;
    s.timeMs = seconds * 1000;
    s.timeKind = kind;
}

void readAccel(const unsigned char* p, const Fields& f, TelemetrySample& s) {
    if (f.accel == 0) return;
    static constexpr unsigned char kNoReading[12] = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0};
    static constexpr unsigned char kZero[12] = {};
    const unsigned char* a = p + f.accel;
    if (std::memcmp(a, kNoReading, 12) == 0 || std::memcmp(a, kZero, 12) == 0) return;
    const double x = int32_t(le32(a)) / f.accelDivisor, y = int32_t(le32(a + 4)) / f.accelDivisor,
                 z = int32_t(le32(a + 8)) / f.accelDivisor;
    if (std::fabs(x) > kMaxAccelG || std::fabs(y) > kMaxAccelG || std::fabs(z) > kMaxAccelG) return;
    s.hasAccel = true;
    s.accelX = static_cast<float>(x);
    s.accelY = static_cast<float>(y);
    s.accelZ = static_cast<float>(z);
}

}  // namespace

void NovatekBlock::decode(const unsigned char* p, size_t n, Layout preferred) {
    *this = NovatekBlock();
    if (n < 12 || std::memcmp(p + 4, kSignature, 8) != 0) return;
    // The block's own size bounds it (a lying size only ever shortens it).
    const uint32_t declared = bigEndian::u32(p);
    if (declared >= 12 && declared < n) n = declared;
    issue = Issue::UnknownLayout;
    if (n >= 16 && le32(p + 12) == 0xAC) {
        layout = Layout::Encrypted;
        issue = Issue::None;
        return;
    }
    const Layout order[] = {preferred, Layout::V3, Layout::Classic, Layout::Doubles};
    for (const Layout candidate : order) {
        if (candidate == Layout::Unknown || candidate == Layout::Encrypted) continue;
        if (!layoutMatches(p, n, candidate)) continue;
        layout = candidate;
        break;
    }
    if (layout == Layout::Unknown) {
        // A block too short to show every layout's letters is cut, not foreign.
        if (n < kDoubles.eastWest + 4) issue = Issue::CutShort;
        return;
    }
    const Fields& f = fieldsOf(layout);
    if (n < f.extent) {
        issue = Issue::CutShort;
        return;
    }
    issue = Issue::None;
    TelemetrySample& s = sample;
    readTime(p, f, s);
    readAccel(p, f, s);
    if (p[f.status] != 'A') return;  // no fix: time and G-sensor only

    const auto value = [&](size_t at) { return f.doubles ? f64(p + at) : double(f32(p + at)); };
    double latitude = 0.0, longitude = 0.0;
    if (!degreesOf(value(f.latitude), 90.0, latitude) || !degreesOf(value(f.longitude), 180.0, longitude)) {
        issue = Issue::BadPosition;
        return;
    }
    if (s.timeKind == TelemetryTime::None) {
        issue = Issue::BadDate;
        return;
    }
    s.latitude = p[f.northSouth] == 'S' ? -latitude : latitude;
    s.longitude = p[f.eastWest] == 'W' ? -longitude : longitude;
    s.fix = plausiblePosition(s.latitude, s.longitude);
    if (!s.fix) return;
    const double kmh = value(f.knots) * kKnotsToKmh;
    const double course = value(f.course);
    if (std::isfinite(kmh) && kmh >= 0.0 && kmh <= kMaxSpeedKmh) {
        s.hasSpeed = true;
        s.speedKmh = static_cast<float>(kmh);
    } else {
        speedDropped = true;
    }
    if (std::isfinite(course) && course >= 0.0 && course <= 360.0) {
        s.hasCourse = true;
        s.courseDeg = static_cast<float>(course);
    } else {
        speedDropped = true;
    }
}
