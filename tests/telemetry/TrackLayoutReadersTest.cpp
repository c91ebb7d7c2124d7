// The readers of layouts that live in tracks (NMEA and Thinkware, Garmin
// PNDM, GPMF, CAMM): the made-up drive read back with its moments, courses
// and G-forces, the text tracks that are not theirs, and hostile payloads
// that cost no more than what they spoil.
#include "support/Bytes.h"
#include "support/CammPackets.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"
#include "support/TrackClipBytes.h"

#include "telemetry/CammReader.h"
#include "telemetry/GarminPndmReader.h"
#include "telemetry/GpmfReader.h"
#include "telemetry/NmeaTrackReader.h"
#include "telemetry/TelemetryReaders.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace testing_support;
using namespace testing_support::bytes;

namespace {

struct Read {
    bool claimed = false;
    ClipTelemetry telemetry;
};

TrackClipSpec track(const char* handler, const char* sampleEntry) {
    TrackClipSpec spec;
    spec.handler = handler;
    spec.sampleEntry = sampleEntry;
    return spec;
}

Read readWith(const TelemetryReader& reader, const TrackClipSpec& spec) {
    const std::string bytes = trackClipBytes(spec);
    IsoFile file;
    std::string reason;
    Read r;
    EXPECT_TRUE(file.openBytes(bytes, reason)) << reason;
    r.claimed = reader.probe(file);
    if (r.claimed) reader.read(file, r.telemetry);
    return r;
}

std::string textSample(const std::string& text) {
    std::string s;
    u16be(s, static_cast<uint32_t>(text.size()));
    return s + text;
}

std::string nmea(const std::string& body) {
    return "$" + body + "*" + nmeaChecksum(body);
}

std::string longs(std::initializer_list<int32_t> values) {
    std::string s;
    for (int32_t v : values) i32be(s, v);
    return s;
}

// A GPS5 stream of fixes {lat, lon} in 1e-7 degrees at 36 km/h.
std::string gps5Stream(std::initializer_list<std::pair<int32_t, int32_t>> fixes, int32_t scale = 10000000) {
    std::string data;
    for (const auto& [lat, lon] : fixes) data += longs({lat, lon, 500000, 10000, 1000});
    return gpmfNested("STRM", gpmfKlv("GPSU", 'U', 16, 1, "261207100000.000") + gpmfKlv("GPSF", 'L', 4, 1, longs({3})) +
                              gpmfKlv("SCAL", 'l', 4, 5, longs({scale, scale, 1000, 1000, 100})) +
                              gpmfKlv("GPS5", 'l', 20, fixes.size(), data));
}

constexpr int64_t kDriveStartSeconds = kDriveStartUtcMs / 1000;

TEST(TrackLayoutReaders, ReadTheMadeUpDriveBackWithItsMomentsCoursesAndGForces) {
    struct Case {
        ClipLayout layout;
        TelemetryFormat format;
        TelemetryTime time;
        double speedKmh;  // tolerance
        bool course, gForces;
    };
    const Case cases[] = {
        {ClipLayout::Nmea, TelemetryFormat::Nmea, TelemetryTime::Utc, 0.01, true, false},
        {ClipLayout::Thinkware, TelemetryFormat::Thinkware, TelemetryTime::Utc, 0.01, true, true},
        {ClipLayout::Garmin, TelemetryFormat::Garmin, TelemetryTime::Creation, 1.609344 / 2 + 0.01, false, false},
        {ClipLayout::Gpmf, TelemetryFormat::Gpmf, TelemetryTime::Utc, 0.01, false, true},
        {ClipLayout::GpmfGps9, TelemetryFormat::Gpmf, TelemetryTime::Utc, 0.01, false, true},
        {ClipLayout::Camm, TelemetryFormat::Camm, TelemetryTime::Utc, 0.01, true, true},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(static_cast<int>(c.layout)));
        TelemetryClipSpec spec;
        spec.layout = c.layout;
        // Five moments a second (several fixes in one GPMF sample), southern and western, no fix at first.
        spec.drive = madeUpDrive({60.0, 5, kDriveStartUtcMs, -33.8688, -70.6483, 3});
        const std::string clip = folder.path() + "clip.mp4";
        ASSERT_EQ(makeTelemetryClip(clip, spec), "");
        ClipTelemetry read;
        std::string reason;
        ASSERT_TRUE(readTelemetryFile(clip, read, reason)) << reason;
        EXPECT_EQ(read.format, c.format);
        EXPECT_TRUE(read.dropped.empty()) << read.dropped.front();
        ASSERT_EQ(read.samples.size(), spec.drive.size());
        for (size_t i = 0; i < spec.drive.size(); ++i) {
            const DriveMoment& m = spec.drive[i];
            const TelemetrySample& s = read.samples[i];
            SCOPED_TRACE("moment " + std::to_string(i));
            ASSERT_EQ(s.clipMs, m.clipMs);
            ASSERT_EQ(s.fix, m.fix);
            EXPECT_EQ(s.timeKind, c.time);
            EXPECT_EQ(s.timeMs, m.utcMs);
            if (m.fix) {
                EXPECT_NEAR(s.latitude, m.latitude, 1e-5);
                EXPECT_NEAR(s.longitude, m.longitude, 1e-5);
                EXPECT_TRUE(s.hasSpeed);
                EXPECT_NEAR(s.speedKmh, m.speedKmh, c.speedKmh);
                EXPECT_EQ(s.hasCourse, c.course);
                if (c.course) {
                    EXPECT_NEAR(s.courseDeg, m.courseDeg, 0.05);
                }
            }
            ASSERT_EQ(s.hasAccel, c.gForces);
            if (c.gForces) {
                EXPECT_NEAR(s.accelX, m.gx, 0.01);
                EXPECT_NEAR(s.accelY, m.gy, 0.01);
                EXPECT_NEAR(s.accelZ, m.gz, 0.01);
            }
        }
    }
}

TEST(TrackLayoutReaders, TextTracksOfOtherLayoutsAreNotClaimed) {
    const NmeaTrackReader nmeaReader;
    const GarminPndmReader garminReader;
    TrackClipSpec cameraText = track("text", "text");
    for (int i = 0; i < 5; ++i)
        cameraText.samples.push_back(
            textSample("2016-05-20 10:30:1" + std::to_string(i) + "/E113 56 12.34/N22 33 44.50/23.5/X:12/Y:-3/Z:98"));
    EXPECT_FALSE(readWith(nmeaReader, cameraText).claimed);
    EXPECT_FALSE(readWith(garminReader, cameraText).claimed);
    {
        const std::string bytes = trackClipBytes(cameraText);
        IsoFile file;
        std::string reason;
        ASSERT_TRUE(file.openBytes(bytes, reason));
        ClipTelemetry all;
        readTelemetry(file, all);
        EXPECT_EQ(all.format, TelemetryFormat::CameraText);
    }

    TrackClipSpec garmin = track("text", "text");
    for (const DriveMoment& m : madeUpDrive({5.0})) garmin.samples.push_back(garminSample(m));
    EXPECT_FALSE(readWith(nmeaReader, garmin).claimed);
    EXPECT_TRUE(readWith(garminReader, garmin).claimed);

    // Sentences after a few empty samples (no GPS yet when the clip began) are found.
    TrackClipSpec late = track("sbtl", "tx3g");
    late.samples = {textSample(""), textSample("\r\n"), textSample("")};
    for (const DriveMoment& m : madeUpDrive({3.0})) late.samples.push_back(nmeaSample(m));
    const Read read = readWith(nmeaReader, late);
    EXPECT_TRUE(read.claimed);
    EXPECT_EQ(read.telemetry.fixes(), 3u);
    EXPECT_FALSE(readWith(garminReader, late).claimed);
}

TEST(TrackLayoutReaders, NmeaKeepsWhatChecksAndNotesTheRest) {
    const std::string date = "071226";
    TrackClipSpec spec = track("text", "text");
    spec.samples = {
        textSample(nmea("GPRMC,100000.000,A,4808.2200,N,01134.5000,E,10.000,90.00," + date + ",,,A") + "\r\n" +
                   nmea("GPGGA,100000.000,4808.2200,N,01134.5000,E,1,09,0.9,520.0,M,47.0,M,,") + "\r\n"),
        // A wrong checksum, a line cut short, and a latitude beyond the pole.
        textSample("$GPRMC,100001.000,A,4808.2300,N,01134.5000,E,10.000,90.00," + date + ",,,A*00\r\n"),
        textSample("$GPRMC,100002.000,A,4808.24"),
        textSample(nmea("GPRMC,100003.000,A,9108.2500,N,01134.5000,E,10.000,90.00," + date + ",,,A")),
        // GGA alone takes the date of the last RMC.
        textSample(nmea("GNGGA,100004.500,4808.2600,N,01134.5000,E,1,09,0.9,520.0,M,47.0,M,,")),
    };
    const Read read = readWith(NmeaTrackReader(), spec);
    ASSERT_TRUE(read.claimed);
    const ClipTelemetry& t = read.telemetry;
    EXPECT_EQ(t.format, TelemetryFormat::Nmea);
    ASSERT_EQ(t.samples.size(), 2u);
    EXPECT_TRUE(t.samples[0].fix && t.samples[1].fix);
    EXPECT_NEAR(t.samples[0].latitude, 48.137, 1e-9);
    EXPECT_NEAR(t.samples[0].speedKmh, 18.52, 1e-4);
    EXPECT_EQ(t.samples[1].clipMs, 4000);
    EXPECT_EQ(t.samples[1].timeKind, TelemetryTime::Utc);
    EXPECT_EQ(t.samples[1].timeMs, kDriveStartUtcMs + 4500);
    EXPECT_FALSE(t.samples[1].hasSpeed);
    EXPECT_FALSE(t.dropped.empty());
}

TEST(TrackLayoutReaders, GpmfOverrunsNestingAndBadScalesCostOnlyWhatTheySpoil) {
    std::string deep = gpmfKlv("GPSF", 'L', 4, 1, longs({3}));
    for (int i = 0; i < 12; ++i) deep = gpmfNested("STRM", deep);
    std::string overrun = gpmfKlv("ACCL", 's', 6, 1000, std::string(12, '\0'));
    overrun.resize(24);  // claims 6000 bytes, holds 12
    TrackClipSpec spec = track("meta", "gpmd");
    spec.samples = {
        // Two good fixes, then a record that overruns its stream.
        gpmfNested("DEVC", gps5Stream({{-338688000, -706483000}, {-338689000, -706484000}}) + gpmfNested("STRM", overrun)),
        gpmfNested("DEVC", deep),
        gpmfNested("DEVC", gps5Stream({{-338690000, -706485000}}, 0)),  // SCAL of zero
        gpmfNested("DEVC", gps5Stream({{950000000, -706485000}})),      // beyond the pole
        "NOTGPMF, another camera's data in the same sample entry",
        std::string(),
    };
    const Read read = readWith(GpmfReader(), spec);
    ASSERT_TRUE(read.claimed);
    const ClipTelemetry& t = read.telemetry;
    EXPECT_EQ(t.format, TelemetryFormat::Gpmf);
    ASSERT_EQ(t.samples.size(), 3u);
    EXPECT_TRUE(t.samples[0].fix && t.samples[1].fix);
    EXPECT_NEAR(t.samples[1].latitude, -33.8689, 1e-9);
    EXPECT_EQ(t.samples[1].clipMs, 500);
    EXPECT_EQ(t.samples[1].timeMs, kDriveStartUtcMs + 500);
    EXPECT_NEAR(t.samples[1].speedKmh, 36.0, 1e-4);
    EXPECT_FALSE(t.samples[2].fix);
    EXPECT_EQ(t.samples[2].latitude, 0.0);
    EXPECT_GE(t.dropped.size(), 5u);

    // A gpmd track of someone else's data is left to the other readers.
    TrackClipSpec foreign = track("meta", "gpmd");
    foreign.samples = {"NOTGPMF", "NOTGPMF"};
    EXPECT_FALSE(readWith(GpmfReader(), foreign).claimed);
}

TEST(TrackLayoutReaders, CammPacketsOfUnknownTypeOrShortSizeEndTheirSample) {
    const double t0 = gpsSeconds(kDriveStartUtcMs);
    const float inf = std::numeric_limits<float>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TrackClipSpec spec = track("camm", "camm");
    spec.samples = {
        // Read, then a type never defined: the fix after it is lost.
        cammGps(t0, 3, -33.8688, -70.6483, 3.0f, 4.0f) + cammPacket(99, std::string(12, '\0')) +
            cammGps(t0 + 0.5, 3, -33.9, -70.7, 0, 0),
        // A gyroscope packet is skipped by its size; a position without time.
        cammPacket(2, std::string(12, '\0')) + cammPacket(5, [] {
            std::string p;
            f64le(p, -33.87);
            f64le(p, -70.65);
            f64le(p, 500.0);
            return p;
        }()),
        cammGps(t0 + 2, 3, nan, -70.6483, 0, 0),        // no number: no fix
        cammGps(t0 + 3, 3, -33.8688, -70.6483, 0, 0).substr(0, 30),  // cut short
        // A writer that counted from 1970.
        cammGps(static_cast<double>(kDriveStartSeconds) + 4, 3, -33.8688, -70.6483, 0, 0),
        cammAccel(0, 0, inf) + cammAccel(0, 0, static_cast<float>(kGravity)),
    };
    const Read read = readWith(CammReader(), spec);
    ASSERT_TRUE(read.claimed);
    const ClipTelemetry& t = read.telemetry;
    EXPECT_EQ(t.format, TelemetryFormat::Camm);
    ASSERT_EQ(t.samples.size(), 5u);
    EXPECT_TRUE(t.samples[0].fix);
    EXPECT_EQ(t.samples[0].timeMs, kDriveStartUtcMs);
    EXPECT_NEAR(t.samples[0].speedKmh, 18.0, 1e-4);
    EXPECT_NEAR(t.samples[0].courseDeg, std::atan2(3.0, 4.0) * 180.0 / 3.14159265358979323846, 1e-3);
    EXPECT_TRUE(t.samples[1].fix);
    EXPECT_EQ(t.samples[1].timeKind, TelemetryTime::Creation);
    EXPECT_EQ(t.samples[1].timeMs, kDriveStartUtcMs + 1000);
    EXPECT_FALSE(t.samples[2].fix);
    EXPECT_EQ(t.samples[3].clipMs, 4000);
    EXPECT_EQ(t.samples[3].timeMs, kDriveStartUtcMs + 4000);
    // The infinite reading is dropped; the one after it kept, G alone.
    EXPECT_EQ(t.samples[4].clipMs, 5500);
    EXPECT_FALSE(t.samples[4].fix);
    EXPECT_TRUE(t.samples[4].hasAccel);
    EXPECT_NEAR(t.samples[4].accelZ, 1.0, 1e-6);
    EXPECT_GE(t.dropped.size(), 3u);
}

TEST(TrackLayoutReaders, FastGReadingsComeTenASecondAndRideOnTheFixes) {
    const double t0 = gpsSeconds(kDriveStartUtcMs);
    TrackClipSpec spec = track("meta", "camm");
    // Two seconds of readings at 200 a second, a fix at the start of each second.
    for (int i = 0; i < 400; ++i) {
        std::string sample;
        if (i % 200 == 0) sample = cammGps(t0 + i / 200, 3, -33.8688, -70.6483, 0, 10.0f);
        const float z = i < 10 ? 2.0f : 1.0f;  // a bump in the first 50 ms
        sample += cammAccel(0.1f * static_cast<float>(kGravity), 0, z * static_cast<float>(kGravity));
        spec.samples.push_back(sample);
        spec.durations.push_back(5);
    }
    const Read read = readWith(CammReader(), spec);
    const ClipTelemetry& t = read.telemetry;
    ASSERT_EQ(t.samples.size(), 20u);
    for (size_t i = 0; i < t.samples.size(); ++i) {
        const TelemetrySample& s = t.samples[i];
        EXPECT_TRUE(s.hasAccel);
        EXPECT_EQ(s.fix, i % 10 == 0) << i;
        EXPECT_EQ(s.timeKind, TelemetryTime::Utc);
        EXPECT_EQ(s.timeMs - kDriveStartUtcMs, s.clipMs);
        EXPECT_NEAR(s.accelX, 0.1, 1e-6);
    }
    EXPECT_NEAR(t.samples[0].accelZ, 1.5, 1e-6);  // the window's mean
    EXPECT_NEAR(t.samples[1].accelZ, 1.0, 1e-6);
    EXPECT_EQ(t.samples[1].clipMs, 147);  // the middle of its readings
}

}  // namespace

TEST(TrackLayoutReaders, SamplesOutOfOrderOrWithJumpingTimesAreKeptAndSaidOnce) {
    ClipTelemetry clip;
    for (const int64_t ms : {0, 1000, 2000}) {
        TelemetrySample s;
        s.clipMs = ms;
        s.timeKind = TelemetryTime::Utc;
        s.timeMs = 1'800'000'000'000 + ms;
        clip.add(s);
    }
    EXPECT_EQ(clip.orderProblem(), "");
    clip.samples[2].timeMs += 3'600'000;
    EXPECT_EQ(clip.orderProblem(), "times that jump, kept as the clip has them");
    clip.samples[1].timeMs -= 10'000;
    clip.samples[1].clipMs = 3000;
    EXPECT_EQ(clip.orderProblem(), "samples out of time order, kept as the clip has them");
    EXPECT_EQ(clip.samples.size(), 3u);
    EXPECT_EQ(clip.samples[1].clipMs, 3000);
}
