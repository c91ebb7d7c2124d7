// The bounded box reader on hostile sizes and sample tables, and on files
// that are no clip or were never finished.
#include "telemetry/IsoFile.h"
#include "telemetry/TrackPayloads.h"
#include "trackindex/PlainBoxLayout.h"

#include "support/Bytes.h"
#include "support/TempFolder.h"
#include "support/TrackOnlyClip.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testing_support;
using namespace testing_support::bytes;

namespace {

std::string ftyp() {
    return box("ftyp", std::string("isom\0\0\0\0", 8));
}

std::string largeBox(const char* type, uint64_t size, const std::string& payload) {
    std::string b;
    u32be(b, 1);
    b.append(type, 4);
    u64be(b, size);
    return b + payload;
}

std::string rawBox(const char* type, uint32_t size, const std::string& payload) {
    std::string b;
    u32be(b, size);
    b.append(type, 4);
    return b + payload;
}

std::string table(const char* type, uint32_t count, const std::vector<uint32_t>& values) {
    std::string p;
    u32be(p, count);
    for (uint32_t v : values) u32be(p, v);
    return fullBox(type, 0, 0, p);
}

}  // namespace

TEST(IsoFileTest, HostileBoxSizesAreCutToTheirParentOrEndTheList) {
    const std::string children = box("aaaa", "1234") + largeBox("bbbb", 24, "12345678") + rawBox("cccc", 1000, "xx");
    const std::string bytes = ftyp() + box("cnt1", children) + box("cnt2", rawBox("dddd", 4, "")) +
                              box("cnt3", largeBox("eeee", 8, "")) +
                              box("cnt4", box("ffff", "") + rawBox("gggg", 0, "zz")) +
                              largeBox("mdat", uint64_t(1) << 40, std::string(64, '\0'));
    IsoFile file;
    std::string reason;
    ASSERT_TRUE(file.openBytes(bytes, reason)) << reason;
    const std::vector<IsoBox>& top = file.topLevel();
    ASSERT_EQ(top.size(), 6u);
    EXPECT_EQ(top[5].type, fourcc("mdat"));
    EXPECT_EQ(top[5].headerSize, 16u);
    EXPECT_EQ(top[5].offset + top[5].size, bytes.size());  // 1 TB claimed, cut to the file

    const std::vector<IsoBox> inCnt1 = file.children(top[1]);
    ASSERT_EQ(inCnt1.size(), 3u);
    EXPECT_EQ(inCnt1[1].size, 24u);
    EXPECT_EQ(inCnt1[1].payloadSize(), 8u);
    EXPECT_EQ(inCnt1[2].offset + inCnt1[2].size, top[1].offset + top[1].size);  // larger than its parent
    EXPECT_TRUE(file.children(top[2]).empty());                                 // smaller than its own header
    EXPECT_TRUE(file.children(top[3]).empty());                                 // 64-bit size smaller than its header
    const std::vector<IsoBox> inCnt4 = file.children(top[4]);
    ASSERT_EQ(inCnt4.size(), 2u);
    EXPECT_EQ(inCnt4[1].size, 10u);  // size 0: to its parent's end
    EXPECT_EQ(file.children(top[1], 0, 1).size(), 1u);
    EXPECT_TRUE(file.children(top[1], 1000).empty());

    std::string out;
    EXPECT_FALSE(file.read(bytes.size() - 4, 8, out));
    EXPECT_FALSE(file.read(UINT64_MAX - 2, 4, out));
    EXPECT_FALSE(file.payload(top[5], out, 16));
}

TEST(IsoFileTest, SampleTablesNeverReachPastTheirBoxesOrTheFile) {
    const std::string media = std::string(64, 'm');
    std::string hdlr;
    u32be(hdlr, 0);
    hdlr += "text";
    hdlr.append(12, '\0');
    hdlr += "Hostile\0";
    std::string mdhd(20, '\0');
    putU32be(mdhd, 8, 1000);
    std::string tkhd(80, '\0');
    putU32be(tkhd, 8, 7);
    const auto stbl = [&](uint32_t mdatPayload, uint32_t fileSize) {
        return box("stbl", fullBox("stsd", 0, 0, std::string("\0\0\0\1", 4) + box("text", std::string(8, '\0'))) +
                               table("stts", 1, {10, 100}) +
                               // The third run goes back to chunk 2.
                               table("stsc", 3, {1, 2, 1, 3, 1, 1, 2, 5, 1}) +
                               // Six sizes where a thousand are claimed.
                               fullBox("stsz", 0, 0, std::string("\0\0\0\0\0\0\x03\xe8", 8) + std::string(24, '\0')) +
                               table("stco", 100, {mdatPayload, mdatPayload + 16, fileSize + 10, mdatPayload + 32}));
    };
    const auto build = [&](uint32_t mdatPayload, uint32_t fileSize) {
        std::string stblBytes = stbl(mdatPayload, fileSize);
        // stsz's sizes: 4 bytes each sample.
        const size_t stsz = stblBytes.find("stsz");
        for (size_t i = 0; i < 6; ++i) putU32be(stblBytes, stsz + 16 + i * 4, 4);
        const std::string moov =
            box("moov", fullBox("mvhd", 0, 0, std::string(96, '\0')) +
                            box("trak", fullBox("tkhd", 0, 0, tkhd) +
                                            box("mdia", fullBox("mdhd", 0, 0, mdhd) + fullBox("hdlr", 0, 0, hdlr) +
                                                            box("minf", stblBytes))));
        return ftyp() + moov + box("mdat", media);
    };
    const std::string sized = build(0, 0);
    const uint32_t mdatPayload = static_cast<uint32_t>(sized.size() - media.size());
    const std::string bytes = build(mdatPayload, static_cast<uint32_t>(sized.size()));

    IsoFile file;
    std::string reason;
    ASSERT_TRUE(file.openBytes(bytes, reason)) << reason;
    ASSERT_EQ(file.tracks().size(), 1u);
    const IsoTrack& track = file.tracks().front();
    EXPECT_EQ(track.id, 7u);
    EXPECT_EQ(track.handlerType, fourcc("text"));
    EXPECT_EQ(track.handlerName, "Hostile");
    EXPECT_EQ(track.sampleEntry, fourcc("text"));
    EXPECT_EQ(track.timescale, 1000u);
    int64_t created = 0;
    EXPECT_FALSE(file.creationTime(created));  // zero: before 1970

    std::vector<IsoSample> samples;
    ASSERT_TRUE(file.samples(track, samples, reason)) << reason;
    ASSERT_EQ(samples.size(), 4u);  // chunk 3 lies outside the file; the table ends at six sizes
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_LE(samples[i].offset + samples[i].size, bytes.size());
        EXPECT_EQ(samples[i].startTicks, int64_t(i) * 100);
    }
    EXPECT_EQ(samples[2].offset, mdatPayload + 16u);

    // Every chunk outside the file: nothing, and a reason.
    const std::string outside = build(0x7FFFFFF0, 0x7FFFFFF0);
    IsoFile lost;
    ASSERT_TRUE(lost.openBytes(outside, reason));
    EXPECT_FALSE(lost.samples(lost.tracks().front(), samples, reason));
    EXPECT_TRUE(samples.empty());
}

TEST(IsoFileTest, AClipWithoutMoovListsItsBoxesAndNoClipIsRefused) {
    const std::string unfinished = ftyp() + box("mdat", std::string(100, 'v'));
    IsoFile file;
    std::string reason;
    ASSERT_TRUE(file.openBytes(unfinished, reason)) << reason;
    EXPECT_EQ(file.topLevel().size(), 2u);
    EXPECT_EQ(file.moov().size, 0u);
    EXPECT_TRUE(file.tracks().empty());
    IsoBox found;
    EXPECT_FALSE(file.findChild(file.moov(), fourcc("gps "), found));
    int64_t created = 0;
    EXPECT_FALSE(file.creationTime(created));

    for (const std::string& bytes : {std::string(), std::string("RIFF\0\0\0\x10WAVEfmt ", 16), std::string(7, 'x')}) {
        IsoFile no;
        EXPECT_FALSE(no.openBytes(bytes, reason));
        EXPECT_FALSE(reason.empty());
    }
    const TempFolder folder;
    const std::string fifo = folder.path() + "pipe.mp4";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {folder.path(), fifo, folder.path() + "missing.mp4"}) {
        IsoFile no;
        reason.clear();
        EXPECT_FALSE(no.open(path, reason)) << path;
        EXPECT_FALSE(reason.empty());
    }
}

namespace {

// A movie of `tracks` tracks of `boxes` empty boxes each, every one of another type.
std::string manyBoxes(int tracks, int boxes) {
    std::string movie = fullBox("mvhd", 0, 0, std::string(96, '\0'));
    for (int t = 0; t < tracks; ++t) {
        std::string trak;
        trak.reserve(static_cast<size_t>(boxes) * 8);
        for (int i = 0; i < boxes; ++i) {
            u32be(trak, 8);
            u8(trak, 'x');
            be(trak, static_cast<uint64_t>(i), 3);
        }
        movie += box("trak", trak);
    }
    return ftyp() + box("moov", movie);
}

}  // namespace

TEST(IsoFileTest, BoxWalksStayLinearWithinABudgetAndEndAtAStop) {
    TempFolder tmp;
    std::string reason;
    {
        // 100,000 boxes of different types in one track: a few passes over them.
        IsoFile file;
        ASSERT_TRUE(file.open(tmp.write("wide.mp4", manyBoxes(1, 100'000)), reason)) << reason;
        EXPECT_TRUE(PlainBoxLayout::check(file));
        EXPECT_LT(file.boxesRead(), 10 * 100'000u);
        EXPECT_FALSE(file.boxBudgetSpent());
    }
    {
        // 64 tracks of 20,000: the file's budget ends the walk, and the
        // layout is not taken as checked.
        IsoFile file;
        ASSERT_TRUE(file.open(tmp.write("deep.mp4", manyBoxes(64, 20'000)), reason)) << reason;
        EXPECT_FALSE(PlainBoxLayout::check(file));
        EXPECT_TRUE(file.boxBudgetSpent());
        EXPECT_EQ(file.boxesRead(), IsoFile::kMaxBoxes);
    }
    {
        IsoFile file;
        ASSERT_TRUE(file.open(tmp.path() + "wide.mp4", reason)) << reason;
        const std::atomic<bool> stop{true};
        file.setStopFlag(&stop);
        const size_t before = file.boxesRead();
        EXPECT_FALSE(PlainBoxLayout::check(file));
        EXPECT_EQ(file.boxesRead(), before);
    }
}

// Asked to stop, a track's samples end at once: its reads fail from then on,
// and the probes would otherwise walk a track of millions of samples to its
// end, one failed read (and one range kept) each, while the program closes.
TEST(IsoFileTest, ATracksSamplesEndAtAStop) {
    TempFolder tmp;
    const std::string clip = tmp.path() + "track.mp4";
    ASSERT_EQ(writeTrackOnlyClip(clip, 20'000, 100, [](size_t) { return std::string("text"); }), "");
    IsoFile file;
    std::string reason;
    ASSERT_TRUE(file.open(clip, reason)) << reason;
    std::atomic<bool> stop{false};
    file.setStopFlag(&stop);
    ASSERT_FALSE(file.tracks().empty());
    ClipTelemetry notes;
    TrackPayloads payloads(file, file.tracks().front(), 1024, &notes);
    TrackPayload payload;
    ASSERT_TRUE(payloads.next(payload));
    stop = true;
    EXPECT_FALSE(payloads.next(payload));
    EXPECT_TRUE(notes.dropped.empty()) << notes.dropped.front();
}
