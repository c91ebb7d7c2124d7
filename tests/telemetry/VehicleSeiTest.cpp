// The car's own data in every video frame: hostile units and messages give
// no sample and are read no further than their unit; a generated car clip
// gives every sound frame's values at their precision, on the car's clock,
// and its damaged frames nothing while their neighbours still count.
#include "support/Bytes.h"
#include "support/TempFolder.h"
#include "support/VehicleSeiClips.h"

#include "telemetry/TelemetryReaders.h"
#include "telemetry/VehicleFrameMessage.h"
#include "telemetry/VehicleSeiSample.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>
#include <cmath>
#include <set>
#include <vector>

using namespace testing_support;
using Scan = VehicleSeiSample::Scan;

namespace {

std::string sampleOf(std::initializer_list<std::string> units) {
    std::string s;
    for (const std::string& unit : units) {
        bytes::u32be(s, unit.size());
        s += unit;
    }
    return s;
}

// Scans the first n bytes held in a buffer of exactly that size, so a read
// past them is a fault under the sanitizers.
Scan scanStart(const std::string& sample, size_t n, std::string& message, size_t& needed) {
    const std::vector<char> start(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(n));
    return VehicleSeiSample::scan(std::string_view(start.data(), start.size()), sample.size(), message, needed);
}

Scan scanWhole(const std::string& sample, std::string& message) {
    size_t needed = 0;
    return scanStart(sample, sample.size(), message, needed);
}

bool decodes(const std::string& message) {
    VehicleFrame frame;
    return VehicleFrameMessage::decode(message, frame);
}

}  // namespace

TEST(VehicleSei, HostileUnitsAndMessagesGiveNoSampleAndAreReadNoFurther) {
    const std::string message = vehicleMessage(vehicleFrameAt(4), 4);
    const std::string ours = vehicleSeiUnit(message);
    const std::string aud("\x09\x10", 2), slice("\x65\x88\x84\x00\x21", 5);
    // Someone else's user data (an encoder's version text) is passed over.
    const std::string other = std::string("\x06\x05\x08", 3) + "\xdc\x45\xe9\xbd" + "x264" + "\x80";
    const std::string good = sampleOf({aud, other, ours, slice});

    // Given its start in steps, the scan asks for no more than the units
    // before the slice and the slice's length and header: never the picture.
    std::string got;
    size_t given = 2, needed = 0;
    Scan scan;
    while ((scan = scanStart(good, given, got, needed)) == Scan::NeedMore) {
        ASSERT_GT(needed, given);
        ASSERT_LE(needed, good.size() - slice.size() + 1);
        given = needed;
    }
    ASSERT_EQ(scan, Scan::Message);
    EXPECT_EQ(got, message);

    EXPECT_EQ(scanWhole(sampleOf({aud, slice, ours}), got), Scan::NoMessage) << "after the first slice";
    EXPECT_EQ(scanWhole(sampleOf({aud, slice}), got), Scan::NoMessage);
    EXPECT_EQ(scanWhole(sampleOf({"\x06\x04\x02\x42\x69\x80"}), got), Scan::NoMessage) << "another payload type";
    EXPECT_EQ(scanWhole(sampleOf({"\x06\x05\x02\x42\x68\x80"}), got), Scan::NoMessage) << "no 0x69 after the run";
    EXPECT_EQ(scanWhole(sampleOf({"\x06"}), got), Scan::NoMessage);

    // NAL lengths past the sample: of a unit before the message, or of the slice.
    std::string cut = sampleOf({aud, ours, slice});
    cut.resize(cut.size() - 1);
    EXPECT_EQ(scanWhole(cut, got), Scan::BadSample);
    std::string huge = sampleOf({aud, ours});
    huge[0] = '\x7f';
    EXPECT_EQ(scanWhole(huge, got), Scan::BadSample);
    EXPECT_EQ(scanWhole(std::string("\0\0\0", 3), got), Scan::BadSample);

    // Damage the car's unit can carry.
    EXPECT_EQ(scanWhole(sampleOf({vehicleSeiUnit(message, FrameDamage::WrongLength), slice}), got), Scan::Damaged);
    EXPECT_EQ(scanWhole(sampleOf({vehicleSeiUnit(message, FrameDamage::EscapeAtEnd), slice}), got), Scan::Damaged);
    std::string shortSize = ours;
    shortSize[2] = static_cast<char>(shortSize[2] - 2);  // the size byte claims two bytes less
    EXPECT_EQ(scanWhole(sampleOf({shortSize, slice}), got), Scan::Damaged);
    for (const FrameDamage damage : {FrameDamage::BadVarint, FrameDamage::WrongWireType}) {
        ASSERT_EQ(scanWhole(sampleOf({vehicleSeiUnit(message, damage), slice}), got), Scan::Message);
        EXPECT_FALSE(decodes(got));
    }

    // Messages: proto3's zeros, and what no sound message holds.
    VehicleFrame frame;
    frame.speedMs = 3.0f;
    ASSERT_TRUE(VehicleFrameMessage::decode("", frame));
    EXPECT_EQ(frame.speedMs, 0.0f);
    EXPECT_TRUE(decodes(message));
    for (const std::string& bad : {
             message.substr(0, message.size() - 1),  // cut inside its last field
             std::string("\x5b\x5c", 2),             // a group
             std::string("\x02\x01\x00", 3),         // field number 0
             std::string("\x9a\x01\x05\x61", 4),     // a length past the message
             std::string("\x59\x00\x00\x00\x00", 5), // a double of four bytes
             std::string("\x08") + std::string(10, '\x80') + "\x01",  // a varint of eleven bytes
         })
        EXPECT_FALSE(decodes(bad)) << testing::PrintToString(bad);
}

TEST(VehicleSei, ACarClipGivesEachSoundFrameAtItsPrecisionOnTheCarsClock) {
    TempFolder tmp;
    const std::string path = tmp.path() + "2026-12-07_10-15-22-front.mp4";
    VehicleClipSpec spec;
    const std::map<int, FrameDamage> damaged{{5, FrameDamage::WrongLength},
                                             {9, FrameDamage::BadVarint},
                                             {13, FrameDamage::WrongWireType},
                                             {17, FrameDamage::EscapeAtEnd},
                                             {21, FrameDamage::Missing}};
    spec.damage = damaged;
    ASSERT_EQ(makeVehicleClip(path, spec), "");

    // Frame 25's first unit claims more than its sample holds.
    const int badSample = 25;
    {
        IsoFile file;
        std::string reason;
        ASSERT_TRUE(file.open(path, reason)) << reason;
        std::vector<IsoSample> samples;
        ASSERT_TRUE(file.samples(file.tracks().at(0), samples, reason)) << reason;
        ASSERT_EQ(samples.size(), 72u);
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::pwrite(fd, "\x00\x7f\xff\xff", 4, static_cast<off_t>(samples[badSample].offset)), 4);
        ::close(fd);
    }

    ClipTelemetry clip;
    std::string reason;
    ASSERT_TRUE(readTelemetryFile(path, clip, reason)) << reason;
    EXPECT_EQ(clip.format, TelemetryFormat::VehicleSei);
    EXPECT_EQ(telemetryFormatName(clip.format), "vehicle-sei");
    ASSERT_EQ(clip.samples.size(), 72u - damaged.size() - 1);

    constexpr int64_t kStartMs = 1796638522000;  // 2026-12-07 10:15:22 as the car's clock reads it
    std::set<int> seen;
    for (const TelemetrySample& s : clip.samples) {
        const int k = static_cast<int>(std::lround(static_cast<double>(s.clipMs) * 36.0 / 1000.0));
        seen.insert(k);
        const VehicleFrame f = vehicleFrameAt(k);
        SCOPED_TRACE(k);
        EXPECT_EQ(s.clipMs, k * 1000 / 36);
        EXPECT_EQ(s.timeKind, TelemetryTime::Camera);
        EXPECT_EQ(s.timeMs, kStartMs + s.clipMs);
        ASSERT_TRUE(s.fix && s.hasSpeed && s.hasCourse && s.hasAccel && s.vehicle);
        EXPECT_EQ(s.latitude, f.latitude);
        EXPECT_EQ(s.longitude, f.longitude);
        EXPECT_FLOAT_EQ(s.speedKmh, f.speedMs * 3.6f);
        EXPECT_FLOAT_EQ(s.courseDeg, static_cast<float>(f.headingDeg));
        EXPECT_FLOAT_EQ(s.accelX, static_cast<float>(f.accelX / 9.80665));
        EXPECT_FLOAT_EQ(s.accelY, static_cast<float>(f.accelY / 9.80665));
        EXPECT_FLOAT_EQ(s.accelZ, 1.0f);
        const VehicleChannels& c = *s.vehicle;
        EXPECT_EQ(c.steeringDeg, f.steeringDeg);
        EXPECT_EQ(c.acceleratorPct, f.acceleratorPct);
        EXPECT_EQ(c.brake, f.brake);
        EXPECT_EQ(c.indicatorLeft, f.indicatorLeft);
        EXPECT_EQ(c.indicatorRight, f.indicatorRight);
        EXPECT_EQ(c.gear, static_cast<VehicleGear>(f.gear));
        EXPECT_EQ(c.assist, static_cast<DriverAssist>(f.assist));
    }
    for (int k = 0; k < 72; ++k)
        EXPECT_EQ(seen.count(k), damaged.count(k) || k == badSample ? 0u : 1u) << "frame " << k;
    EXPECT_EQ(clip.dropped, (std::vector<std::string>{"4 frames with a damaged vehicle message gave no sample",
                                                      "1 video samples whose units run past the sample were skipped",
                                                      "1 frames without a vehicle message"}));
}
