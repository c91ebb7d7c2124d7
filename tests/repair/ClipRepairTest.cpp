// Clips made by FFmpeg are cut at 30 %, at 70 % and in the middle of a
// sample (the index gone with the cut) and repaired from an uncut clip of
// the same settings; the copy must decode without an error, hold the pictures
// and the sound wholly before the cut, and the camera's data up to it.
#include "repair/ClipRepair.h"
#include "repair/PictureOrder.h"
#include "repair/RepairProvenance.h"
#include "telemetry/IsoFile.h"
#include "telemetry/TelemetryReaders.h"
#include "trackindex/IndexedTrackReader.h"

#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

using namespace testing_support;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ffmpeg(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> argv{"/usr/bin/ffmpeg", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = 0;
    std::string out = commandOutput(argv, folder, status);
    return status == 0 ? out : "failed: " + out;
}

struct Settings {
    std::string video = "libx264";  // or libx265
    std::string audio = "aac";      // or pcm_s16le
    std::string ext = "mp4";
    int bframes = 0;  // pictures shown out of decode order
};

// A clip of 3 s, 320x240 at 25 frames a second; `pattern` tells clips apart.
std::string makeSourceClip(const TempFolder& dir, const std::string& name, const Settings& s,
                           const std::string& pattern) {
    std::vector<std::string> args{"-f", "lavfi", "-i", pattern + "=size=320x240:rate=25:duration=3", "-f", "lavfi", "-i",
                                  "sine=frequency=440:duration=3", "-c:v", s.video, "-preset", "ultrafast",
                                  "-pix_fmt", "yuv420p"};
    const std::string bframes = std::to_string(s.bframes);
    if (s.video == "libx265")
        args.insert(args.end(), {"-x265-params", "bframes=" + bframes + ":log-level=error", "-tag:v", "hvc1"});
    else
        args.insert(args.end(), {"-bf", bframes});
    args.insert(args.end(), {"-c:a", s.audio, "-shortest", name});
    EXPECT_EQ(ffmpeg(args, dir.path()), "");
    return dir.path() + name;
}

struct Expected {
    size_t pictures = 0;     // wholly before the cut
    size_t soundUnits = 0;   // AAC frames or PCM frames wholly before the cut
    bool pcm = false;
};

Expected before(const std::string& original, uint64_t cut) {
    IsoFile file;
    std::string reason;
    EXPECT_TRUE(file.open(original, reason)) << reason;
    Expected e;
    for (const IsoTrack& t : file.tracks()) {
        std::vector<IsoSample> samples;
        file.samples(t, samples, reason);
        const size_t n = static_cast<size_t>(std::count_if(samples.begin(), samples.end(), [&](const IsoSample& s) {
            return s.offset + s.size <= cut;
        }));
        if (t.handlerType == fourcc("vide")) e.pictures = n;
        if (t.handlerType == fourcc("soun")) {
            e.soundUnits = n;
            e.pcm = t.sampleEntry != fourcc("mp4a");
        }
    }
    return e;
}

uint64_t mediaStart(const std::string& path) {
    IsoFile file;
    std::string reason;
    file.open(path, reason);
    const IsoBox* mdat = file.findTop(fourcc("mdat"));
    return mdat != nullptr ? mdat->payloadOffset() : 0;
}

// The three cuts of a clip: 30 % and 70 % into the media data, and the
// middle of the picture nearest its middle.
std::vector<uint64_t> cutsOf(const std::string& original) {
    IsoFile file;
    std::string reason;
    file.open(original, reason);
    const IsoBox* mdat = file.findTop(fourcc("mdat"));
    std::vector<uint64_t> cuts{mdat->payloadOffset() + mdat->payloadSize() * 3 / 10,
                               mdat->payloadOffset() + mdat->payloadSize() * 7 / 10};
    for (const IsoTrack& t : file.tracks()) {
        std::vector<IsoSample> samples;
        if (t.handlerType == fourcc("vide") && file.samples(t, samples, reason) && !samples.empty()) {
            const IsoSample& middle = samples[samples.size() / 2];
            cuts.push_back(middle.offset + middle.size / 2);
        }
    }
    return cuts;
}

std::string cutCopy(const std::string& original, uint64_t at, const std::string& path) {
    writeAll(path, readAll(original).substr(0, at));
    return path;
}

struct Probe {
    long pictures = -1;
    double seconds = -1;
};

Probe probe(const std::string& path) {
    int status = 0;
    const std::string out = commandOutput({"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                                           "-show_entries", "stream=nb_read_frames:format=duration", "-of",
                                           "default=nw=1:nk=1", path},
                                          "/", status);
    Probe p;
    std::sscanf(out.c_str(), "%ld %lf", &p.pictures, &p.seconds);
    return p;
}

// Repairs and checks what every repaired copy must hold; returns the copy.
std::string repairAndCheck(const std::string& cut, const std::string& reference, const Expected& e,
                           const std::string& label) {
    const RepairOutcome outcome = ClipRepair::run({cut, reference, nullptr, nullptr, {}});
    EXPECT_TRUE(outcome.repaired) << label << ": " << outcome.reason;
    if (!outcome.repaired) return {};
    EXPECT_EQ(ffmpeg({"-i", outcome.copy, "-f", "null", "-"}, "/"), "") << label;
    const Probe p = probe(outcome.copy);
    EXPECT_NEAR(double(p.pictures), double(e.pictures), 1) << label;
    EXPECT_NEAR(p.seconds, double(e.pictures) / 25.0, 1.0) << label;
    IsoFile copy;
    std::string reason;
    EXPECT_TRUE(copy.open(outcome.copy, reason));
    size_t sound = 0;
    for (const IsoTrack& t : copy.tracks()) {
        std::vector<IsoSample> samples;
        copy.samples(t, samples, reason);
        if (t.handlerType == fourcc("soun")) sound = samples.size();
    }
    EXPECT_GE(double(sound), 0.9 * double(e.soundUnits)) << label;
    return outcome.copy;
}


// A camera's clip before its index is written: the pictures and sound of
// `source` in one media data box that runs to the end, a Novatek block in
// front of every 25th picture. Gives where each picture, sound frame and
// block ends.
struct Interleaved {
    std::vector<uint64_t> pictureEnds, soundEnds, blockEnds;
    uint64_t mediaStart = 0, size = 0;
};

Interleaved interleaveNovatek(const std::string& source, const std::string& path,
                              const std::vector<DriveMoment>& drive) {
    IsoFile file;
    std::string reason;
    EXPECT_TRUE(file.open(source, reason));
    struct Piece {
        IsoSample sample;
        bool video;
    };
    std::vector<Piece> pieces;
    for (const IsoTrack& t : file.tracks()) {
        std::vector<IsoSample> samples;
        file.samples(t, samples, reason);
        for (const IsoSample& s : samples) pieces.push_back({s, t.handlerType == fourcc("vide")});
    }
    std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.sample.offset < b.sample.offset; });
    const std::string bytes = readAll(source);
    const IsoBox* ftyp = file.findTop(fourcc("ftyp"));
    std::string out = bytes.substr(ftyp->offset, ftyp->size) + std::string("\0\0\0\0mdat", 8);
    Interleaved r;
    r.mediaStart = out.size();
    size_t pictures = 0;
    for (const Piece& p : pieces) {
        if (p.video && pictures % 25 == 0 && pictures / 25 < drive.size()) {
            out += novatekBlock(drive[pictures / 25], ClipLayout::Novatek);
            r.blockEnds.push_back(out.size());
        }
        out += bytes.substr(p.sample.offset, p.sample.size);
        (p.video ? r.pictureEnds : r.soundEnds).push_back(out.size());
        pictures += p.video ? 1 : 0;
    }
    writeAll(path, out);
    r.size = out.size();
    return r;
}

class ClipRepairTest : public ::testing::Test {
protected:
    TempFolder dir;
};

TEST_F(ClipRepairTest, PictureAndSoundOfEveryCodecUpToTheCut) {
    for (const Settings& s : {Settings{"libx264", "aac", "mp4"}, Settings{"libx264", "pcm_s16le", "mov"},
                             Settings{"libx265", "aac", "mp4"}}) {
        const std::string label = s.video + "+" + s.audio;
        const std::string original = makeSourceClip(dir, label + "." + s.ext, s, "testsrc");
        const std::string reference = makeSourceClip(dir, label + "-ref." + s.ext, s, "testsrc2");
        int n = 0;
        for (const uint64_t at : cutsOf(original)) {
            const std::string cut = cutCopy(original, at, dir.path() + label + "-cut" + std::to_string(n++) + "." + s.ext);
            repairAndCheck(cut, reference, before(original, at), label + " cut at " + std::to_string(at));
        }
    }
}

// The first pictures as shown, with their times.
std::string shownPictures(const std::string& path, int count) {
    return ffmpeg({"-i", path, "-map", "0:v", "-frames:v", std::to_string(count), "-f", "framemd5", "-"}, "/");
}

TEST_F(ClipRepairTest, PicturesShownOutOfDecodeOrderKeepTheirOrderAndTimes) {
    for (const Settings& s : {Settings{"libx264", "aac", "mp4", 2}, Settings{"libx265", "aac", "mp4", 2}}) {
        const std::string original = makeSourceClip(dir, s.video + "-b.mp4", s, "testsrc");
        const std::string reference = makeSourceClip(dir, s.video + "-b-ref.mp4", s, "testsrc2");
        const uint64_t at = cutsOf(original)[1];
        const std::string cut = cutCopy(original, at, dir.path() + s.video + "-b-cut.mp4");
        const std::string copy = repairAndCheck(cut, reference, before(original, at), s.video + " with B-frames");
        ASSERT_FALSE(copy.empty());
        EXPECT_EQ(shownPictures(copy, 40), shownPictures(original, 40)) << s.video;
    }
    // Counts falling back at a key picture start a new sequence; a picture
    // decoded one ahead of its place delays the whole track by one.
    const PictureOrder::Offsets o = PictureOrder::offsets({0, 6, 2, 4, 0, 4, 2}, {true, false, false, false, true, false, false});
    EXPECT_EQ(o.frames, (std::vector<uint32_t>{1, 3, 0, 0, 1, 2, 0}));
    EXPECT_EQ(o.delay, 1u);
    EXPECT_TRUE(PictureOrder::offsets({0, 2, 4, 0, 2}, {true, false, false, true, false}).frames.empty());
    // Counts no decoder could follow (a picture shown 99 places late) give none.
    std::vector<int> far{0, 1000};
    for (int i = 1; i < 100; ++i) far.push_back(i);
    std::vector<bool> keys(far.size(), false);
    keys[0] = true;
    EXPECT_TRUE(PictureOrder::offsets(far, keys).frames.empty());
}

TEST_F(ClipRepairTest, TheCameraTextTrackUpToTheCut) {
    ClipSpec spec;
    spec.trackTexts = cameraTrack(15);
    spec.cueSeconds = 0.2;
    spec.durationSeconds = 3;
    spec.width = 320;
    spec.height = 240;
    spec.frameRate = 25;
    const std::string original = dir.path() + "text.mp4", reference = dir.path() + "text-ref.mp4";
    ASSERT_EQ(makeClip(original, spec), "");
    spec.trackTexts = cameraTrack(20);
    spec.durationSeconds = 4;
    ASSERT_EQ(makeClip(reference, spec), "");
    IndexedTrackReader reader(nullptr);
    ClipReading whole;
    std::string reason;
    ASSERT_EQ(reader.readClip(original, whole, reason), NativeTrackReader::Result::Track) << reason;
    int n = 0;
    for (const uint64_t at : cutsOf(original)) {
        const Expected e = before(original, at);
        const std::string copy = repairAndCheck(cutCopy(original, at, dir.path() + "text-cut" + std::to_string(n++) + ".mp4"),
                                                reference, e, "text cut at " + std::to_string(at));
        ClipReading repaired;
        ASSERT_EQ(reader.readClip(copy, repaired, reason), NativeTrackReader::Result::Track) << reason;
        const auto& got = repaired.telemetry.samples;
        const auto& all = whole.telemetry.samples;
        ASSERT_FALSE(got.empty());
        ASSERT_LE(got.size(), all.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].clipMs, all[i].clipMs);
            EXPECT_EQ(got[i].timeMs, all[i].timeMs);
            EXPECT_EQ(got[i].latitude, all[i].latitude);
            EXPECT_EQ(got[i].longitude, all[i].longitude);
        }
        // The cues wholly before the cut, give or take the one the cut fell in.
        EXPECT_GE(got.size() + 2, static_cast<size_t>(double(e.pictures) / 25.0 / 0.2));
    }
}

TEST_F(ClipRepairTest, NovatekBlocksInTheMediaDataUpToTheCut) {
    TelemetryClipSpec spec;
    spec.drive = madeUpDrive({3.0});
    spec.withVideo = true;
    spec.width = 320;
    spec.height = 240;
    spec.frameRate = 25;
    const std::string reference = dir.path() + "novatek-ref.mp4";
    ASSERT_EQ(makeTelemetryClip(reference, spec), "");
    ClipSpec video;
    video.withSubtitle = false;
    video.durationSeconds = 3.0;
    video.width = 320;
    video.height = 240;
    video.frameRate = 25;
    const std::string source = dir.path() + "novatek-source.mp4";
    ASSERT_EQ(makeClip(source, video), "");
    const std::string whole = dir.path() + "novatek-whole.mp4";
    const Interleaved layout = interleaveNovatek(source, whole, spec.drive);
    ASSERT_EQ(layout.blockEnds.size(), 3u);
    const uint64_t span = layout.size - layout.mediaStart;
    const uint64_t middle = layout.pictureEnds[layout.pictureEnds.size() / 2] - 100;
    int n = 0;
    for (const uint64_t at : {layout.mediaStart + span * 3 / 10, layout.mediaStart + span * 7 / 10, middle}) {
        const auto wholly = [at](const std::vector<uint64_t>& ends) {
            return static_cast<size_t>(std::count_if(ends.begin(), ends.end(), [at](uint64_t e) { return e <= at; }));
        };
        const Expected e{wholly(layout.pictureEnds), wholly(layout.soundEnds), false};
        const std::string copy = repairAndCheck(cutCopy(whole, at, dir.path() + "novatek-cut" + std::to_string(n++) + ".mp4"),
                                                reference, e, "novatek cut at " + std::to_string(at));
        ClipTelemetry repaired;
        std::string reason;
        ASSERT_TRUE(readTelemetryFile(copy, repaired, reason)) << reason;
        EXPECT_EQ(repaired.format, TelemetryFormat::Novatek);
        ASSERT_EQ(repaired.samples.size(), wholly(layout.blockEnds));
        for (size_t i = 0; i < repaired.samples.size(); ++i) {
            EXPECT_NEAR(repaired.samples[i].latitude, spec.drive[i].latitude, 1e-4);
            EXPECT_NEAR(repaired.samples[i].longitude, spec.drive[i].longitude, 1e-4);
        }
    }
}

std::vector<std::string> filesIn(const std::string& folder) {
    int status = 0;
    std::string out = commandOutput({"/bin/ls", "-A", folder}, "/", status);
    std::vector<std::string> names;
    for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1)
        names.push_back(out.substr(at, end - at));
    return names;
}

TEST_F(ClipRepairTest, RefusesWhatCannotBeRepairedAndWritesNothing) {
    const Settings h264;
    const std::string original = makeSourceClip(dir, "a.mp4", h264, "testsrc");
    const std::string healthy = makeSourceClip(dir, "b.mp4", h264, "testsrc2");
    const std::string hevc = makeSourceClip(dir, "hevc.mp4", Settings{"libx265", "aac", "mp4"}, "testsrc");
    EXPECT_EQ(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=1", "-f", "lavfi", "-i",
                      "sine=duration=1", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "big.mp4"},
                     dir.path()),
              "");
    EXPECT_EQ(ffmpeg({"-i", "b.mp4", "-c", "copy", "-movflags", "frag_keyframe+empty_moov", "fragmented.mp4"}, dir.path()),
              "");
    const uint64_t start = mediaStart(original);
    const std::string cut = cutCopy(original, start + 40000, dir.path() + "cut.mp4");
    const std::string cutReference = cutCopy(healthy, mediaStart(healthy) + 40000, dir.path() + "cutref.mp4");
    std::string zeros = readAll(original).substr(0, start) + std::string(100000, '\0');
    std::string noise = zeros;
    uint32_t x = 12345;
    for (size_t i = start; i < noise.size(); ++i) noise[i] = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    writeAll(dir.path() + "zeros.mp4", zeros);
    writeAll(dir.path() + "noise.mp4", noise);
    const std::vector<std::string> present = filesIn(dir.path());

    const struct {
        std::string clip, reference, reason;
    } cases[] = {
        {cut, hevc, "(H.265 320x240"},
        {cut, dir.path() + "big.mp4", "does not fit: another camera, codec setting or picture size (H.264 640x480"},
        {cut, cutReference, "itself cut short"},
        {cut, dir.path() + "fragmented.mp4", "fragmented"},
        {dir.path() + "zeros.mp4", healthy, "nothing to repair"},
        {dir.path() + "noise.mp4", healthy, "nothing to repair"},
        {original, healthy, "has its index"},
    };
    for (const auto& c : cases) {
        const RepairOutcome outcome = ClipRepair::run({c.clip, c.reference, nullptr, nullptr, {}});
        EXPECT_FALSE(outcome.repaired) << c.clip << " with " << c.reference;
        EXPECT_NE(outcome.reason.find(c.reason), std::string::npos) << outcome.reason;
    }
    EXPECT_EQ(filesIn(dir.path()), present);
}

TEST_F(ClipRepairTest, HostileLengthsAndZerosAreWalkedSafely) {
    const Settings h264;
    const std::string original = makeSourceClip(dir, "a.mp4", h264, "testsrc");
    const std::string healthy = makeSourceClip(dir, "b.mp4", h264, "testsrc2");
    const uint64_t at = cutsOf(original)[0];
    const Expected e = before(original, at);
    const std::string bytes = readAll(original).substr(0, at);
    // A NAL length of 2^32-1 where the cut is.
    writeAll(dir.path() + "huge-nal.mp4", bytes + std::string("\xFF\xFF\xFF\xFF\x65\x88\x80\x40", 8));
    // A tail of zeros, as cameras that pre-allocate leave.
    writeAll(dir.path() + "zero-tail.mp4", bytes + std::string(1 << 20, '\0'));
    // A media data size of 2^64-1 (ffmpeg leaves a free box in front of mdat to grow it).
    std::string largest = bytes;
    const uint64_t header = mediaStart(original) - 16;
    ASSERT_EQ(largest.substr(header + 4, 4), "free");
    largest.replace(header, 16, std::string("\0\0\0\1mdat\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 16));
    writeAll(dir.path() + "largest.mp4", largest);
    for (const char* name : {"huge-nal.mp4", "zero-tail.mp4", "largest.mp4"}) {
        const std::string copy = repairAndCheck(dir.path() + name, healthy, e, name);
        struct stat st {};
        ASSERT_EQ(::stat(copy.c_str(), &st), 0);
        EXPECT_LT(static_cast<uint64_t>(st.st_size), at + 64 * 1024) << name;
    }
}

// The provenance read back from a copy's bytes is taken only when every
// field is whole and plain.
TEST_F(ClipRepairTest, ProvenanceIsReadBackOnlyWhenWholeAndPlain) {
    const RepairProvenance sound{"0002F.mp4", std::string(64, 'a'), "0001F.mp4", std::string(64, 'b')};
    // The payload past udta's and VLrp's headers.
    const auto payload = [](const RepairProvenance& p) { return p.udta().substr(16); };
    const std::optional<RepairProvenance> back = RepairProvenance::parse(payload(sound));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->original + back->originalSha256 + back->reference + back->referenceSha256,
              sound.original + sound.originalSha256 + sound.reference + sound.referenceSha256);
    const std::string whole = payload(sound);
    EXPECT_FALSE(RepairProvenance::parse(whole.substr(0, whole.size() - 1)));
    EXPECT_FALSE(RepairProvenance::parse(std::string(1, '\2') + whole.substr(1)));
    const std::pair<std::string RepairProvenance::*, std::string> faults[] = {
        {&RepairProvenance::original, "../x.mp4"},
        {&RepairProvenance::reference, "a\nb.mp4"},
        {&RepairProvenance::original, "bad\xC3("},
        {&RepairProvenance::originalSha256, "ABC"},
        {&RepairProvenance::referenceSha256, std::string(64, 'g')}};
    for (const auto& [field, text] : faults) {
        RepairProvenance bad = sound;
        bad.*field = text;
        EXPECT_FALSE(RepairProvenance::parse(payload(bad))) << text;
    }
}

}  // namespace
