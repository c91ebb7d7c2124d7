// The layouts in top-level boxes of their own: 70mai's "GPS " box and
// BlackVue's free box (or the .gps/.3gf files beside the clip).
#include "telemetry/BlackVueReader.h"
#include "telemetry/SeventyMaiReader.h"

#include "support/Bytes.h"
#include "support/Mp4Writer.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testing_support;
using namespace testing_support::bytes;

namespace {

ClipTelemetry readClip(const TelemetryReader& reader, const std::string& path) {
    IsoFile file;
    std::string reason;
    EXPECT_TRUE(file.open(path, reason)) << reason;
    EXPECT_TRUE(reader.probe(file));
    ClipTelemetry out;
    reader.read(file, out);
    return out;
}

std::string notesOf(const ClipTelemetry& clip) {
    std::string all;
    for (const std::string& n : clip.dropped) all += n + "\n";
    return all;
}

void expectFix(const TelemetrySample& s, const DriveMoment& m, double speedTolerance) {
    ASSERT_EQ(s.fix, m.fix);
    if (!m.fix) return;
    EXPECT_NEAR(s.latitude, m.latitude, 2e-5);
    EXPECT_NEAR(s.longitude, m.longitude, 2e-5);
    EXPECT_NEAR(s.speedKmh, m.speedKmh, speedTolerance);
}

std::string withoutEnd(std::string boxBytes, size_t cut) {
    boxBytes.resize(boxBytes.size() - cut);
    putU32be(boxBytes, 0, static_cast<uint32_t>(boxBytes.size()));
    return boxBytes;
}

}  // namespace

TEST(BoxLayoutReadersTest, SeventyMaiReadsTheDriveAtTheClipsCreationTime) {
    const TempFolder folder;
    TelemetryClipSpec spec;
    spec.layout = ClipLayout::SeventyMai;
    spec.drive = madeUpDrive({.seconds = 30, .startLatitude = -12.05, .startLongitude = -77.04, .noFixFirst = 2});
    ASSERT_EQ(makeTelemetryClip(folder.path() + "70mai.mp4", spec), "");
    const ClipTelemetry got = readClip(SeventyMaiReader(), folder.path() + "70mai.mp4");
    EXPECT_EQ(got.format, TelemetryFormat::SeventyMai);
    EXPECT_TRUE(got.dropped.empty()) << notesOf(got);
    ASSERT_EQ(got.samples.size(), spec.drive.size());
    for (size_t i = 0; i < spec.drive.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got.samples[i].clipMs, spec.drive[i].clipMs);
        EXPECT_EQ(got.samples[i].timeKind, TelemetryTime::Creation);
        EXPECT_EQ(got.samples[i].timeMs, spec.creationUnixSeconds * 1000 + spec.drive[i].clipMs);
        expectFix(got.samples[i], spec.drive[i], 0.001);
    }
}

TEST(BoxLayoutReadersTest, SeventyMaiListWithoutEndMarkKeepsWhatWasRead) {
    const std::vector<DriveMoment> drive = madeUpDrive({.seconds = 5});
    std::string gps = withoutEnd(seventyMaiBox(drive), 36);  // no end mark
    gps[8 + 2 * 36 + 17 + 3] = '\x7f';                       // record 2: far beyond 90 degrees
    gps += std::string(20, '\1');                            // and a record cut short
    putU32be(gps, 0, static_cast<uint32_t>(gps.size()));
    Mp4Writer writer(kDriveStartUtcMs / 1000, 5000);
    writer.addTopBox(gps);
    const TempFolder folder;
    ASSERT_EQ(writer.write(folder.path() + "cut.mp4"), "");
    const ClipTelemetry got = readClip(SeventyMaiReader(), folder.path() + "cut.mp4");
    ASSERT_EQ(got.samples.size(), 4u);
    EXPECT_EQ(got.samples[2].clipMs, 3000);
    const std::string notes = notesOf(got);
    EXPECT_NE(notes.find("1 records with an impossible position"), std::string::npos) << notes;
    EXPECT_NE(notes.find("no end mark"), std::string::npos) << notes;
    EXPECT_NE(notes.find("cut short"), std::string::npos) << notes;
}

TEST(BoxLayoutReadersTest, BlackVueReadsTheDriveFromItsBoxAndFromTheFilesBeside) {
    const TempFolder folder;
    TelemetryClipSpec spec;
    spec.layout = ClipLayout::BlackVue;
    spec.drive = madeUpDrive({.seconds = 20, .noFixFirst = 2});
    ASSERT_EQ(makeTelemetryClip(folder.path() + "box.mp4", spec), "");
    spec.blackVueSidecars = true;
    ASSERT_EQ(makeTelemetryClip(folder.path() + "side.mp4", spec), "");
    // Cameras write the extensions in either case.
    ASSERT_EQ(std::rename((folder.path() + "side.gps").c_str(), (folder.path() + "side.GPS").c_str()), 0);

    for (const char* name : {"box.mp4", "side.mp4"}) {
        SCOPED_TRACE(name);
        const ClipTelemetry got = readClip(BlackVueReader(), folder.path() + name);
        EXPECT_EQ(got.format, TelemetryFormat::BlackVue);
        EXPECT_TRUE(got.dropped.empty()) << notesOf(got);
        ASSERT_EQ(got.samples.size(), spec.drive.size());
        for (size_t i = 0; i < spec.drive.size(); ++i) {
            const TelemetrySample& s = got.samples[i];
            const DriveMoment& m = spec.drive[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(s.clipMs, m.clipMs);
            EXPECT_EQ(s.timeKind, TelemetryTime::Utc);
            EXPECT_EQ(s.timeMs, m.utcMs);
            expectFix(s, m, 0.01);
            ASSERT_TRUE(s.hasAccel);
            EXPECT_NEAR(s.accelX, m.gx, 0.006);
            EXPECT_NEAR(s.accelZ, m.gz, 0.006);
        }
    }
}

TEST(BoxLayoutReadersTest, BlackVueLeavesOutBadLinesAndReadingsAndSaysSo) {
    const std::vector<DriveMoment> drive = madeUpDrive({.seconds = 6});
    // Lines: RMC and GGA a moment. Moment 2's RMC gets a wrong checksum, moment 4's is cut.
    std::string gps;
    {
        const std::string text = blackVueGpsText(drive);
        size_t line = 0;
        for (size_t at = 0; at < text.size(); ++line) {
            const size_t end = text.find("\r\n", at);
            std::string l = text.substr(at, end - at);
            at = end + 2;
            if (line == 4) l[l.size() - 10] = l[l.size() - 10] == '1' ? '2' : '1';
            if (line == 8) l.resize(l.size() / 2);
            gps += l + "\r\n";
        }
    }
    std::string gsensor = blackVue3gf(drive);
    putU32be(gsensor, 10 + 4, 0x7FFF0000);  // moment 1: 327 G across
    std::string start;
    u64be(start, static_cast<uint64_t>(kDriveStartUtcMs + 2 * 3600000));  // camera clock on UTC+2
    std::string children = box("cprt", "Pittasoft") + box("sttm", start) + box("gps ", gps) + box("3gf ", gsensor);
    putU32be(children, children.size() - gsensor.size() - 8, static_cast<uint32_t>(gsensor.size() + 5000));
    Mp4Writer writer(kDriveStartUtcMs / 1000, 6000);
    writer.addTopBox(box("free", children));
    const TempFolder folder;
    ASSERT_EQ(writer.write(folder.path() + "bad.mp4"), "");

    const ClipTelemetry got = readClip(BlackVueReader(), folder.path() + "bad.mp4");
    // Fixes 0, 1, 3, 5; the readings at 2 and 4 stand alone without a fix.
    ASSERT_EQ(got.samples.size(), 6u);
    const bool fix[] = {true, true, false, true, false, true};
    const bool accel[] = {true, false, true, true, true, true};
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got.samples[i].clipMs, int64_t(i) * 1000);
        EXPECT_EQ(got.samples[i].fix, fix[i]);
        EXPECT_EQ(got.samples[i].hasAccel, accel[i]);
    }
    const std::string notes = notesOf(got);
    EXPECT_NE(notes.find("2 RMC lines with a wrong checksum or cut short"), std::string::npos) << notes;
    EXPECT_NE(notes.find("1 G-sensor readings out of range"), std::string::npos) << notes;
    EXPECT_NE(notes.find("3gf box reaches past its parent"), std::string::npos) << notes;
}
