// The in-process reader against the converter path: the same records, record
// for record, for clips with odd, empty and overlong cues and several
// subtitle streams; and what it says about clips that give no track.
#include "support/SubtitleExtractorTestSupport.h"
#include "support/TempFolder.h"
#include "support/TrackOnlyClip.h"
#include "track/TelemetryRecords.h"
#include "trackindex/CameraTextReader.h"
#include "trackindex/NativeTrackReader.h"
#include "trackindex/PlainTextTrack.h"
#include "trackindex/TrackCueRecords.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

using namespace extractor_test;
using testing_support::TempFolder;

namespace {

std::string clipOf(const TempFolder& tmp, const std::string& name, const testing_support::ClipSpec& spec) {
    const std::string path = tmp.path() + name;
    EXPECT_EQ(testing_support::makeClip(path, spec), "");
    return path;
}

std::vector<TrackRecord> converterRecords(const std::string& clip, TrackSampling sampling) {
    Harness h(sampling);
    EXPECT_TRUE(h.run(clip));
    return h.records();
}

std::vector<TrackRecord> nativeRecords(const std::string& clip, TrackSampling sampling) {
    NativeTrackReader reader;
    std::vector<TrackCue> cues;
    std::string reason;
    reader.read(clip, cues, reason);
    std::vector<TrackRecord> records;
    std::vector<int64_t> times;
    recordsOfCues(cues, sampling, records, times);
    return records;
}

std::string describe(const TrackRecord& r) {
    char text[256];
    std::snprintf(text, sizeof text, "%d %d-%d-%d %d:%d:%d %c%d %d %.3f (%.9f) %c%d %d %.3f (%.9f) %.3f %d %d %d",
                  r.valid, r.year, r.month, r.day, r.hour, r.minute, r.second,
                  r.longitudeHemisphere ? r.longitudeHemisphere : '-', r.longitudeDegrees, r.longitudeMinutes,
                  double(r.longitudeSeconds), r.longitude, r.latitudeHemisphere ? r.latitudeHemisphere : '-',
                  r.latitudeDegrees, r.latitudeMinutes, double(r.latitudeSeconds), r.latitude, double(r.speed),
                  r.accelX, r.accelY, r.accelZ);
    return text;
}

void expectSameRecords(const std::string& clip, TrackSampling sampling) {
    const auto expected = converterRecords(clip, sampling);
    const auto actual = nativeRecords(clip, sampling);
    ASSERT_EQ(actual.size(), expected.size()) << clip;
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(describe(actual[i]), describe(expected[i])) << clip << " record " << i;
}

}  // namespace

TEST(NativeTrackReader, RecordsEqualTheConverterPath) {
    TempFolder tmp;
    auto odd = cueClip(130);
    odd.cueGapSeconds = 0.05;  // an empty cue after each one
    const std::string camera = testing_support::cameraTrackText(7);
    odd.trackTexts[3] = "{\\b1}" + camera;
    odd.trackTexts[5] = "<b>" + camera + "</b>";
    odd.trackTexts[11] = "a, b & c \\N d";
    odd.trackTexts[20] = "行车记录 " + camera;
    odd.trackTexts[21] = "first line\n" + camera;
    odd.trackTexts[30] = std::string(80, 'x') + camera;  // cut inside the text
    odd.trackTexts[31] = std::string(40, ' ') + camera + std::string(60, 'y');
    odd.trackTexts[40] = std::string(600, 'L');
    odd.trackTexts[41] = "\t" + camera + "\t";
    odd.trackTexts[50] = "2016-13-45 99:99:99/E200 99 99.99/N99 99 99.99/-5/X:1/Y:2/Z:3";
    odd.durationSeconds = 130 * 0.15 + 1.0;
    const std::string oddClip = clipOf(tmp, "odd.mp4", odd);

    auto several = cueClip(25);
    several.extraSubtitles = {{"SubtitleHandler", testing_support::cameraTrack(40)}};
    const std::string severalClip = clipOf(tmp, "several.mp4", several);

    auto plain = cueClip(30);  // read without FFmpeg
    plain.cueGapSeconds = 0.05;
    const std::string plainClip = clipOf(tmp, "plain.mp4", plain);

    for (const std::string& clip : {oddClip, severalClip, plainClip}) {
        expectSameRecords(clip, TrackSampling::All);
        expectSameRecords(clip, TrackSampling::Player);
    }
}

TEST(NativeTrackReader, TakesTheCameraStreamAndTellsWhyAClipHasNoTrack) {
    TempFolder tmp;
    auto spec = cueClip(12);
    spec.extraSubtitles = {{"SubtitleHandler", {"not a track"}}};
    spec.extraFirst = true;  // the converter would take this one
    // Longer than a converter message may be: the converter path ends the
    // track there, this reader cuts the text like any other and reads on.
    spec.trackTexts[5] = std::string(1100, 'A');
    const std::string clip = clipOf(tmp, "camera second.mp4", spec);
    NativeTrackReader reader;
    std::vector<TrackCue> cues;
    std::string reason;
    ASSERT_EQ(reader.read(clip, cues, reason), NativeTrackReader::Result::Track) << reason;
    ASSERT_EQ(cues.size(), 12u);
    EXPECT_EQ(cues[5].text.size(), 127u);
    EXPECT_EQ(cues[11].startMs, 1100);
    EXPECT_EQ(cues[11].durationMs, 100);
    EXPECT_EQ(cues[11].text, "12\n00:00:01,100 --> 00:00:01,200\n" + testing_support::cameraTrackText(11) + "\n\n");

    auto none = cueClip(5);
    none.withSubtitle = false;
    const std::string noTrack = clipOf(tmp, "none.mp4", none);
    const std::string truncated = tmp.path() + "cut.mp4";
    std::filesystem::copy_file(clip, truncated);
    std::filesystem::resize_file(truncated, std::filesystem::file_size(clip) / 2);
    std::ofstream(tmp.path() + "zero.mp4");
    std::ofstream(tmp.path() + "text.mp4") << "just text\n";
    // Failed: the content's fault, for good; Unavailable: the moment's.
    using R = NativeTrackReader::Result;
    const std::vector<std::tuple<std::string, R, std::string>> bad{
        {noTrack, R::Failed, "has no subtitle track"},
        {truncated, R::Failed, "is not a video file or is damaged"},
        {tmp.path() + "zero.mp4", R::Failed, "is empty"},
        {tmp.path() + "text.mp4", R::Failed, "is not a video file or is damaged"},
        {tmp.path() + "missing.mp4", R::Unavailable, "cannot be read: No such file or directory"},
        {tmp.path(), R::Failed, "is a folder, not a video file"},
        {"http://127.0.0.1:9/x.mp4", R::Unavailable, "cannot be read: No such file or directory"},
    };
    for (const auto& [path, result, why] : bad) {
        EXPECT_EQ(reader.read(path, cues, reason), result) << path;
        EXPECT_EQ(reason.rfind(why, 0), 0u) << path << ": " << reason;
        EXPECT_TRUE(cues.empty());
    }
}

TEST(NativeTrackReader, AClipBeyondTheCueLimitIsCutAndAStopEndsTheRead) {
    TempFolder tmp;
    const std::string flood = tmp.path() + "flood.mp4";
    ASSERT_EQ(testing_support::writeTrackOnlyClip(flood, NativeTrackReader::CUE_LIMIT + 1, 10,
                                                  [](size_t i) { return "T" + std::to_string(i % 10); }),
              "");
    NativeTrackReader reader;
    std::vector<TrackCue> cues;
    std::string reason;
    ASSERT_EQ(reader.read(flood, cues, reason), NativeTrackReader::Result::Truncated) << reason;
    EXPECT_EQ(cues.size(), NativeTrackReader::CUE_LIMIT);
    EXPECT_EQ(reason, "has more than 2000000 track cues; only the first ones are read");

    std::atomic<bool> stop{false};
    reader.setStopFlag(&stop);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop = true;
    });
    // The whole read takes seconds: one that ignored the flag would end Truncated.
    EXPECT_EQ(reader.read(flood, cues, reason), NativeTrackReader::Result::Unavailable);
    stopper.join();
    EXPECT_TRUE(cues.empty());
}

// A file read of a plain camera track skips FFmpeg; a clip in memory always
// goes through it. The two must give the same cues, times included, and
// the short way must decline whatever it cannot give exactly.
TEST(NativeTrackReader, ThePlainTrackReadWithoutFFmpegGivesFFmpegsCues) {
    TempFolder tmp;
    auto gaps = cueClip(20);
    gaps.cueSeconds = 0.0333;   // times that round
    gaps.cueGapSeconds = 0.05;  // empty samples between the texts
    auto withAudio = cueClip(20);
    withAudio.withAudio = true;  // AAC's edit list starts the sound after its priming samples
    auto styled = cueClip(20);
    styled.trackTexts[4] = "<b>" + styled.trackTexts[4] + "</b>";
    const std::tuple<const char*, testing_support::ClipSpec, PlainTextTrack::Outcome> cases[] = {
        {"plain.mp4", cueClip(20), PlainTextTrack::Outcome::Read},
        {"gaps.mp4", gaps, PlainTextTrack::Outcome::Read},
        {"audio.mp4", withAudio, PlainTextTrack::Outcome::Read},
        {"styled.mp4", styled, PlainTextTrack::Outcome::NotPlain},
    };
    for (const auto& [name, spec, outcome] : cases) {
        const std::string clip = clipOf(tmp, name, spec);
        std::vector<TrackCue> fromFile, fromBytes;
        EXPECT_EQ(PlainTextTrack::read(clip, nullptr, fromFile), outcome) << name;
        std::string bytes, reason;
        ASSERT_TRUE(platform::readFile(clip, bytes));
        NativeTrackReader reader;
        ASSERT_EQ(reader.read(clip, fromFile, reason), NativeTrackReader::Result::Track) << name;
        ASSERT_EQ(reader.readBytes(bytes, fromBytes, reason), NativeTrackReader::Result::Track) << reason;
        ASSERT_EQ(fromBytes.size(), fromFile.size()) << name;
        for (size_t i = 0; i < fromFile.size(); ++i) {
            EXPECT_EQ(fromFile[i].text, fromBytes[i].text) << name << " cue " << i;
            EXPECT_EQ(fromFile[i].startMs, fromBytes[i].startMs) << name << " cue " << i;
            EXPECT_EQ(fromFile[i].durationMs, fromBytes[i].durationMs) << name << " cue " << i;
        }
        if (outcome == PlainTextTrack::Outcome::Read) {
            EXPECT_EQ(reader.readBytes(bytes.substr(0, bytes.size() / 3), fromBytes, reason),
                      NativeTrackReader::Result::Failed);
        }
    }
}

TEST(NativeTrackReader, AnInMemoryTableClaimingMoreThanItHoldsIsRefused) {
    TempFolder tmp;
    std::string bytes;
    ASSERT_TRUE(platform::readFile(clipOf(tmp, "plain.mp4", cueClip(5)), bytes));
    // The sizes table of a track claims 471 million samples: FFmpeg would
    // ask for 1.9 GB for a clip of a few kilobytes.
    size_t stsz = bytes.find("stsz");
    while (stsz != std::string::npos && bytes.compare(stsz + 8, 4, std::string(4, '\0')) != 0)
        stsz = bytes.find("stsz", stsz + 4);  // a table of sizes, not one size for all
    ASSERT_NE(stsz, std::string::npos);
    for (int i = 0; i < 4; ++i) bytes[stsz + 12 + i] = "\x1c\x13\x5f\x40"[i];
    NativeTrackReader reader;
    std::vector<TrackCue> cues;
    std::string reason;
    EXPECT_EQ(reader.readBytes(bytes, cues, reason), NativeTrackReader::Result::Failed);
    EXPECT_NE(reason.find("claims more entries"), std::string::npos) << reason;
}

TEST(CameraTextReader, EachCueIsOneSampleWhoseRecordIsTheParsedOne) {
    const auto cue = [](int64_t ms, std::string text) { return TrackCue{ms, 100, std::move(text)}; };
    const std::vector<TrackCue> cues{
        cue(0, "2016-05-20 10:30:14/E113 56 12.34/N22 33 44.50"),  // no speed, no axes yet
        cue(100, "2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50/23.5/X:12/Y:-3/Z:98"),
        cue(200, "no track text here"),
        cue(300, "2016-13-20 10:30:16/E0 00 00.00/N0 00 00.00/0"),  // no time, no fix; axes kept
        cue(400, "2016-05-20 10:30:17/E113 56 12.34/N22 33 44.50/1.0/X:-999999/Y:2000/Z:9999999"),
    };
    ClipTelemetry clip;
    CameraTextReader::samplesOfCues(cues, clip);
    ASSERT_EQ(clip.format, TelemetryFormat::CameraText);
    ASSERT_EQ(clip.samples.size(), 5u);
    const auto& s = clip.samples;
    EXPECT_TRUE(s[0].fix && !s[0].hasSpeed && !s[0].hasAccel);
    EXPECT_EQ(s[1].clipMs, 100);
    EXPECT_EQ(s[1].timeKind, TelemetryTime::Camera);
    EXPECT_EQ(s[1].timeMs, 1463740215000);
    EXPECT_NEAR(s[1].latitude, 22.562361, 1e-6);
    EXPECT_NEAR(s[1].accelX, (12 - 2000) / (4000.0 / 12.0), 1e-5);
    EXPECT_FALSE(s[3].fix);
    EXPECT_EQ(s[3].timeKind, TelemetryTime::None);
    EXPECT_TRUE(s[3].hasSpeed && s[3].hasAccel);

    // Back at the edges: the records the parser gives, the camera's counts exactly.
    const DisplayZone zone = DisplayZone::fixed(3600);
    const TrackRecord r = trackRecordOf(s[1], zone);
    EXPECT_EQ(std::tie(r.year, r.month, r.day, r.hour, r.minute, r.second),
              std::make_tuple(2016, uint8_t{5}, uint8_t{20}, uint8_t{10}, uint8_t{30}, uint8_t{15}));
    EXPECT_FLOAT_EQ(r.speed, 23.5f * 1.852f);
    EXPECT_EQ(std::make_tuple(r.accelX, r.accelY, r.accelZ), std::make_tuple(12, -3, 98));
    EXPECT_FALSE(trackRecordOf(s[2], zone).valid);
    const TrackRecord far = trackRecordOf(s[4], zone);
    EXPECT_EQ(std::make_tuple(far.accelX, far.accelY, far.accelZ), std::make_tuple(-999999, 2000, 9999999));
}

// A track found not plain halfway is read again through FFmpeg: its samples
// are those of its cues, nothing of the first try left in them (the speed a
// text before the restart gave is not carried to the first sample).
TEST(CameraTextReader, ATrackReadAgainKeepsNothingOfTheFirstTry) {
    TempFolder tmp;
    auto spec = cueClip(20);
    spec.trackTexts[0] = "2016-05-20 10:30:14/E113 56 12.34/N22 33 44.50";
    spec.trackTexts[15] = "<b>" + spec.trackTexts[15] + "</b>";
    const std::string clip = clipOf(tmp, "styled late.mp4", spec);
    NativeTrackReader reader;
    std::vector<TrackCue> cues;
    std::string reason;
    ASSERT_EQ(reader.read(clip, cues, reason), NativeTrackReader::Result::Track) << reason;
    ClipTelemetry expected, read;
    CameraTextReader::samplesOfCues(cues, expected);
    CameraTextReader().readPath(clip, read);
    ASSERT_EQ(read.samples.size(), 20u);
    ASSERT_EQ(read.samples.size(), expected.samples.size());
    EXPECT_FALSE(read.samples[0].hasSpeed);
    for (size_t i = 0; i < read.samples.size(); ++i) {
        const TelemetrySample &a = read.samples[i], &b = expected.samples[i];
        EXPECT_EQ(std::tie(a.clipMs, a.timeMs, a.fix, a.latitude, a.hasSpeed, a.speedKmh, a.hasAccel, a.accelZ),
                  std::tie(b.clipMs, b.timeMs, b.fix, b.latitude, b.hasSpeed, b.speedKmh, b.hasAccel, b.accelZ))
            << "sample " << i;
    }
}

// The frame printf's "%02d:%02d:%02d,%03d" gives, at any time: past 99
// hours and before the start too.
TEST(CueText, FramesACueAsTheSubtitleMuxerDoesAtAnyTime) {
    const auto framed = [](uint64_t number, int64_t start, int64_t end) {
        std::string out;
        CueText::frame(number, start, end, reinterpret_cast<const uint8_t*>("T"), 1, out);
        return out;
    };
    EXPECT_EQ(framed(3, 0, 100), "3\n00:00:00,000 --> 00:00:00,100\nT\n\n");
    EXPECT_EQ(framed(36000, 359'999'999, 360'000'000), "36000\n99:59:59,999 --> 100:00:00,000\nT\n\n");
    EXPECT_EQ(framed(1, -1500, 61'001), "1\n00:00:-1,-500 --> 00:01:01,001\nT\n\n");
}
