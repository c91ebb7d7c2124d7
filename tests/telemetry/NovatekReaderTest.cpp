// Novatek freeGPS blocks: the drive read back from each layout, through the
// index and by the search alike, and what hostile blocks leave behind.
#include "telemetry/NovatekReader.h"
#include "telemetry/SignatureSearch.h"

#include "support/Bytes.h"
#include "support/Mp4Writer.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <limits>

using namespace testing_support;
using namespace testing_support::bytes;

namespace {

ClipTelemetry readBytes(const std::string& bytes, bool probeExpected = true) {
    IsoFile file;
    std::string reason;
    EXPECT_TRUE(file.openBytes(bytes, reason)) << reason;
    const NovatekReader reader;
    EXPECT_EQ(reader.probe(file), probeExpected);
    ClipTelemetry out;
    reader.read(file, out);
    return out;
}

std::string clipBytes(const TempFolder& folder, const TelemetryClipSpec& spec) {
    const std::string path = folder.path() + "clip.mp4";
    EXPECT_EQ(makeTelemetryClip(path, spec), "");
    return folder.read("clip.mp4");
}

void expectDrive(const ClipTelemetry& got, const std::vector<DriveMoment>& drive, bool accel,
                 TelemetryTime kind = TelemetryTime::Utc) {
    ASSERT_EQ(got.samples.size(), drive.size());
    for (size_t i = 0; i < drive.size(); ++i) {
        const TelemetrySample& s = got.samples[i];
        const DriveMoment& m = drive[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(s.clipMs, m.clipMs);
        EXPECT_EQ(s.timeKind, kind);
        EXPECT_EQ(s.timeMs, m.utcMs);
        ASSERT_EQ(s.fix, m.fix);
        if (m.fix) {
            EXPECT_NEAR(s.latitude, m.latitude, 2e-5);
            EXPECT_NEAR(s.longitude, m.longitude, 2e-5);
            EXPECT_NEAR(s.speedKmh, m.speedKmh, 0.01);
            EXPECT_NEAR(s.courseDeg, m.courseDeg, 0.01);
        }
        EXPECT_EQ(s.hasAccel, accel);
        if (accel) {
            EXPECT_NEAR(s.accelX, m.gx, 0.003);
            EXPECT_NEAR(s.accelZ, m.gz, 0.003);
        }
    }
}

uint64_t indexOffset(const std::string& bytes) {
    IsoFile file;
    std::string reason;
    IsoBox index;
    EXPECT_TRUE(file.openBytes(bytes, reason) && file.findChild(file.moov(), fourcc("gps "), index));
    return index.offset;
}

}  // namespace

TEST(NovatekReaderTest, ReadsTheDriveOfEachLayout) {
    const TempFolder folder;
    const struct {
        ClipLayout layout;
        TelemetryFormat format;
        bool accel;
        DriveSpec drive;
    } cases[] = {
        {ClipLayout::Novatek, TelemetryFormat::Novatek, false, {.seconds = 20, .noFixFirst = 3}},
        {ClipLayout::NovatekV3,
         TelemetryFormat::NovatekV3,
         true,
         {.seconds = 20, .startLatitude = -33.86, .startLongitude = -70.6}},
        {ClipLayout::NovatekDoubles, TelemetryFormat::NovatekDoubles, true, {.seconds = 20, .noFixFirst = 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        TelemetryClipSpec spec;
        spec.layout = c.layout;
        spec.drive = madeUpDrive(c.drive);
        const std::string path = folder.path() + "clip.mp4";
        ASSERT_EQ(makeTelemetryClip(path, spec), "");
        IsoFile file;
        std::string reason;
        ASSERT_TRUE(file.open(path, reason)) << reason;
        ClipTelemetry got;
        ASSERT_TRUE(NovatekReader().probe(file));
        NovatekReader().read(file, got);
        EXPECT_EQ(got.format, c.format);
        EXPECT_TRUE(got.dropped.empty()) << got.dropped.front();
        expectDrive(got, spec.drive, c.accel);
    }
}

TEST(NovatekReaderTest, IndexSearchAndDamagedIndexGiveTheSameFixes) {
    const TempFolder folder;
    TelemetryClipSpec spec;
    spec.drive = madeUpDrive({.seconds = 70});  // blocks across more than one read of the search
    const std::string indexed = clipBytes(folder, spec);
    spec.novatekIndex = false;
    const std::string bare = clipBytes(folder, spec);

    // Entries outside the file, off the blocks, zero, and a count beyond the box.
    std::string damaged = indexed;
    const uint64_t index = indexOffset(damaged);
    putU32be(damaged, index + 12, 1000);
    putU32be(damaged, index + 16 + 3 * 8, static_cast<uint32_t>(damaged.size() + 64));
    putU32be(damaged, index + 16 + 7 * 8, getU32be(damaged, index + 16 + 7 * 8) + 16);
    putU32be(damaged, index + 16 + 9 * 8, 0);
    putU32be(damaged, index + 20 + 9 * 8, 0);

    // A power cut: moov never written, and the media data's size never filled in.
    IsoFile probeFile;
    std::string reason;
    ASSERT_TRUE(probeFile.openBytes(indexed, reason));
    const IsoBox* mdat = probeFile.findTop(fourcc("mdat"));
    ASSERT_TRUE(mdat && probeFile.moov().size > 0);
    const std::string cut = indexed.substr(0, probeFile.moov().offset);
    std::string unsized = cut;
    putU32be(unsized, mdat->offset, 0);

    const std::string* variants[] = {&indexed, &bare, &damaged, &cut, &unsized};
    for (size_t i = 0; i < std::size(variants); ++i) {
        SCOPED_TRACE(i);
        expectDrive(readBytes(*variants[i]), spec.drive, false);
    }
    EXPECT_NE(readBytes(damaged).dropped.front().find("index is damaged"), std::string::npos);

    // A reader asked to stop gives up at its next read: closing never waits for a search.
    const std::atomic<bool> stop{true};
    IsoFile stopped;
    ASSERT_TRUE(stopped.openBytes(bare, reason));
    stopped.setStopFlag(&stop);
    ClipTelemetry none;
    NovatekReader().read(stopped, none);
    EXPECT_TRUE(none.samples.empty());
}

TEST(NovatekReaderTest, EncryptedBlocksAreNamedNotRead) {
    Mp4Writer writer(kDriveStartUtcMs / 1000, 5000);
    for (const DriveMoment& m : madeUpDrive({.seconds = 5})) {
        std::string block = novatekBlock(m, ClipLayout::Novatek);
        for (size_t i = 12; i < 0x100; ++i) block[i] = static_cast<char>(i * 37 + 11);  // scrambled
        block.replace(12, 4, std::string("\xAC\0\0\0", 4));
        writer.addMediaData(block);
    }
    const TempFolder folder;
    ASSERT_EQ(writer.write(folder.path() + "enc.mp4"), "");
    const ClipTelemetry got = readBytes(folder.read("enc.mp4"));
    EXPECT_EQ(got.format, TelemetryFormat::Novatek);
    EXPECT_EQ(got.problem, "unsupported variant (encrypted Novatek blocks)");
    EXPECT_TRUE(got.samples.empty());
}

TEST(NovatekReaderTest, AYearWrittenInFullIsTheCameraClock) {
    const TempFolder folder;
    TelemetryClipSpec spec;
    spec.layout = ClipLayout::NovatekV3;
    spec.drive = madeUpDrive({.seconds = 5});
    spec.novatekLocalTime = true;
    expectDrive(readBytes(clipBytes(folder, spec)), spec.drive, true, TelemetryTime::Camera);
}

TEST(NovatekReaderTest, HostileBlocksAreLeftOutAndNoted) {
    const std::vector<DriveMoment> drive = madeUpDrive({.seconds = 9});
    Mp4Writer writer(kDriveStartUtcMs / 1000, 9000);
    const auto putF32 = [](std::string& b, size_t at, float v) {
        std::string le;
        f32le(le, v);
        b.replace(at, 4, le);
    };
    for (size_t i = 0; i < drive.size(); ++i) {
        std::string b = novatekBlock(drive[i], ClipLayout::NovatekV3);
        switch (i) {
            case 1:
                putF32(b, 0x2C, std::numeric_limits<float>::quiet_NaN());
                break;
            case 2:
                putF32(b, 0x2C, 9500.0f);
                break;  // 95 degrees north
            case 3:
                b[0x20] = 13;
                break;  // month 13
            case 4:
                b.replace(0x3C, 12, std::string("\1\0\2\0\3\0\4\0\5\0\6\0", 12));
                break;  // no reading
            case 5:
                continue;  // a second without its block
            case 6:
                putF32(b, 0x34, std::numeric_limits<float>::infinity());
                break;  // speed
            case 8:
                b.resize(0x40);
                break;  // cut short where the media data ends
        }
        writer.addMediaData(b);
    }
    const TempFolder folder;
    ASSERT_EQ(writer.write(folder.path() + "bad.mp4"), "");
    const ClipTelemetry got = readBytes(folder.read("bad.mp4"));
    EXPECT_EQ(got.format, TelemetryFormat::NovatekV3);
    ASSERT_EQ(got.samples.size(), 4u);
    const int64_t expectedMs[] = {0, 4000, 6000, 7000};  // the gap kept by the blocks' own times
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(got.samples[i].clipMs, expectedMs[i]);
    EXPECT_FALSE(got.samples[1].hasAccel);
    EXPECT_TRUE(got.samples[2].fix);
    EXPECT_FALSE(got.samples[2].hasSpeed);
    const std::string notes = [&] {
        std::string all;
        for (const std::string& n : got.dropped) all += n + "\n";
        return all;
    }();
    EXPECT_NE(notes.find("2 fixes with an impossible position"), std::string::npos) << notes;
    EXPECT_NE(notes.find("1 fixes with an impossible date"), std::string::npos) << notes;
    EXPECT_NE(notes.find("1 blocks cut short"), std::string::npos) << notes;
    EXPECT_NE(notes.find("1 impossible speeds"), std::string::npos) << notes;
}

TEST(NovatekReaderTest, TheSearchFindsTheSignatureWhereverItStands) {
    std::string bytes(300, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + 7);
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 0; at + 8 <= bytes.size(); ++at) {
        std::string b = bytes;
        b.replace(at, 8, "freeGPS_");  // all but the last byte: no match
        b.replace(std::min(at + 9, b.size() - 8), 8, "freeGPS ");
        const auto* p = reinterpret_cast<const unsigned char*>(b.data());
        const unsigned char* found = SignatureSearch::find(p, p + b.size(), "freeGPS ");
        ASSERT_NE(found, nullptr) << at;
        EXPECT_EQ(static_cast<size_t>(found - p), std::min(at + 9, b.size() - 8)) << at;
        EXPECT_EQ(SignatureSearch::find(p, p + b.size() - 1, "freeGPS "), at + 9 + 8 <= b.size() - 1 ? found : nullptr);
    }
    EXPECT_EQ(SignatureSearch::find(begin, begin + bytes.size(), "freeGPS "), nullptr);
}

TEST(NovatekReaderTest, TheSearchOfAHugeSparseFileReadsWhatItHolds) {
    // 20 GB apparent, one block near the start, no index, no movie box.
    const TempFolder folder;
    constexpr uint64_t kApparent = 20ull * 1024 * 1024 * 1024;
    std::string bytes = box("ftyp", std::string("isom\0\0\0\0", 8));
    const uint64_t mdatSize = kApparent - bytes.size();
    u32be(bytes, 1);
    bytes += "mdat";
    u64be(bytes, mdatSize);
    bytes += novatekBlock(madeUpDrive({.seconds = 1}).front(), ClipLayout::Novatek);
    const std::string path = folder.write("sparse.mp4", bytes);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kApparent)), 0);
    IsoFile file;
    std::string reason;
    ASSERT_TRUE(file.open(path, reason)) << reason;
    ClipTelemetry got;
    NovatekReader().read(file, got);
    EXPECT_EQ(got.samples.size(), 1u);
    EXPECT_LT(file.bytesRead(), 64u * 1024 * 1024);
}
