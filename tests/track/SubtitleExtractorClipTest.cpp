// Extraction runs with the real converter on clips made for each test: which
// cues the store ends up with, what is posted, and stopping and restarting.
#include "support/SubtitleExtractorTestSupport.h"
#include "platform/ChildProcess.h"
#include "support/TempFolder.h"

#include <sys/stat.h>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace extractor_test;
using namespace std::chrono_literals;
using testing_support::makeClip;
using testing_support::TempFolder;

namespace {

std::string clipOf(const TempFolder& tmp, const std::string& name, const testing_support::ClipSpec& spec) {
    const std::string path = tmp.path() + name;
    const std::string complaint = makeClip(path, spec);
    EXPECT_EQ(complaint, "");
    return path;
}

bool ffmpeg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {converterPath(), "-hide_banner", "-loglevel", "error", "-y"});
    platform::ChildProcess child;
    platform::ChildProcess::Options options;
    options.mergeStderrIntoStdout = true;
    if (child.start(arguments, options) != 0) return false;
    child.closeStdin();
    char buffer[4096];
    while (::read(child.stdoutFd(), buffer, sizeof buffer) > 0) {
    }
    return child.waitFor(std::chrono::minutes(2)) == 0;
}

// The records of a Player run over n cues: cues 0, 10, 20, ... and, unless
// the kept count is a multiple of 64, the last cue once more.
void expectPlayerTrack(const std::vector<TrackRecord>& records, int n) {
    const int kept = (n + 9) / 10;
    const bool repeated = kept % 64 != 0;
    ASSERT_EQ(records.size(), size_t(kept + (repeated ? 1 : 0)));
    for (int j = 0; j < kept; ++j) {
        ASSERT_TRUE(records[size_t(j)].valid) << j;
        EXPECT_EQ(cueOf(records[size_t(j)]), 10 * j);
    }
    if (repeated) {
        EXPECT_EQ(cueOf(records.back()), n - 1);
    }
}

// Holds the pipe thread inside its first TRACK_BATCH_READY post until opened.
class GateTarget : public platform::RecordingMessageTarget {
public:
    void postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (wParam == TRACK_BATCH_READY) {
            std::unique_lock lock(mutex_);
            if (!open_) {
                reached_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return open_; });
            }
        }
        RecordingMessageTarget::postMessage(message, wParam, lParam);
    }
    bool waitReached() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 60s, [this] { return reached_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool open_ = false;
};

}  // namespace

TEST(SubtitleExtractorClip, PlayerSamplingOfWholeAndPartBatches) {
    TempFolder tmp;
    // 640 cues keep exactly 64 (one full batch, no repeat); 700 keep 64 + 6.
    for (const int n : {640, 700}) {
        SCOPED_TRACE(n);
        Harness h;
        ASSERT_TRUE(h.run(clipOf(tmp, std::to_string(n) + ".mp4", cueClip(n))));
        expectPlayerTrack(h.records(), n);
        const size_t batches = n == 640 ? 1 : 2;
        EXPECT_EQ(h.store.getReadyPages(), int32_t(batches));
        EXPECT_EQ(h.posts(TRACK_BATCH_READY), batches);
        EXPECT_EQ(h.posts(TRACK_FIRST_BATCH_DONE), 1u);
        EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
        EXPECT_TRUE(h.extractor.report().connected);
    }
}

TEST(SubtitleExtractorClip, AllSamplingStoresEveryCueOnce) {
    TempFolder tmp;
    Harness h(TrackSampling::All);
    ASSERT_TRUE(h.run(clipOf(tmp, "130.mp4", cueClip(130))));
    const auto records = h.records();
    ASSERT_EQ(records.size(), 130u);
    for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(cueOf(records[i]), int(i));
    EXPECT_EQ(h.store.getReadyPages(), 3);
    EXPECT_EQ(h.posts(TRACK_BATCH_READY), 3u);
    EXPECT_EQ(h.extractor.report().messages, 130u);
}

TEST(SubtitleExtractorClip, LongChunksAreCutTo127BytesAndAnOversizedOneEndsTheStream) {
    TempFolder tmp;
    auto spec = cueClip(40);
    // Message = "1\n" + timing line (32 bytes) + text: the slot's last byte is
    // the '5' of "44.57", so the latitude tells where the cut fell.
    spec.trackTexts[0] = std::string(50, 'P') + "2016-05-20 10:30:00/E113 56 12.34/N22 33 44.57" + std::string(70, 'x');
    spec.trackTexts[25] = std::string(1100, 'A');
    Harness h;
    ASSERT_TRUE(h.run(clipOf(tmp, "long.mp4", spec)));
    const auto records = h.records();
    // Cues 0, 10 and 20, then the read of cue 25 fails: the repeated last
    // chunk is empty.
    ASSERT_EQ(records.size(), 4u);
    ASSERT_TRUE(records[0].valid);
    EXPECT_NEAR(records[0].latitude, 22 + (33 * 60 + 44.5) / 3600.0, 1e-9);
    EXPECT_EQ(cueOf(records[1]), 10);
    EXPECT_EQ(cueOf(records[2]), 20);
    EXPECT_FALSE(records[3].valid);
    EXPECT_TRUE(h.extractor.report().readFailed);
}

TEST(SubtitleExtractorClip, SubtitleStreamWithoutCuesPostsOnlyFirstBatchDone) {
    TempFolder tmp;
    // The only cue starts after the end of the clip.
    const std::string srt = tmp.write("late.srt", "1\n00:00:10,000 --> 00:00:10,100\nlate\n\n");
    const std::string clip = tmp.path() + "empty.mp4";
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x36:rate=1", "-i", srt, "-t", "2", "-map", "0:v", "-map",
                        "1:s", "-c:v", "libx264", "-preset", "ultrafast", "-c:s", "mov_text", clip}));
    Harness h;
    ASSERT_TRUE(h.run(clip));
    EXPECT_TRUE(h.records().empty());
    EXPECT_EQ(h.posts(TRACK_FIRST_BATCH_DONE), 1u);
    EXPECT_EQ(h.posts(TRACK_BATCH_READY), 0u);
}

TEST(SubtitleExtractorClip, ClipsWithoutATrackEndTheRunWithoutPosts) {
    TempFolder tmp;
    auto spec = cueClip(30);
    spec.withSubtitle = false;
    const std::string noSubtitle = clipOf(tmp, "nosub.mp4", spec);
    const std::string whole = clipOf(tmp, "whole.mp4", cueClip(300));
    const std::string truncated = tmp.path() + "truncated.mp4";
    std::filesystem::copy_file(whole, truncated);
    std::filesystem::resize_file(truncated, std::filesystem::file_size(whole) / 2);

    Harness h;
    ASSERT_TRUE(h.run(noSubtitle));
    auto report = h.extractor.report();
    EXPECT_FALSE(report.connected);
    EXPECT_TRUE(report.sawInput);
    EXPECT_FALSE(report.sawAnySubtitle);

    ASSERT_TRUE(h.run(truncated));  // its index is at the end, now cut off
    report = h.extractor.report();
    EXPECT_FALSE(report.connected);
    EXPECT_FALSE(report.sawInput);
    EXPECT_TRUE(h.target.messages().empty());
    EXPECT_TRUE(h.records().empty());
}

TEST(SubtitleExtractorClip, OddPathIsOneArgument) {
    TempFolder tmp;
    const std::string clip = clipOf(tmp, "-i clip with blank 'single' \"double\" ünï 行车.mp4", cueClip(25));
    Harness h;
    ASSERT_TRUE(h.run(clip));
    expectPlayerTrack(h.records(), 25);
    EXPECT_EQ(h.extractor.commandArguments()[6], clip);
}

TEST(SubtitleExtractorClip, TwoExtractorsAtOnceKeepTheirOwnSockets) {
    TempFolder tmp;
    const std::string a = clipOf(tmp, "a.mp4", cueClip(700));
    const std::string b = clipOf(tmp, "b.mp4", cueClip(130));
    Harness player;
    Harness all(TrackSampling::All);
    ASSERT_EQ(player.start(a), 0);
    ASSERT_EQ(all.start(b), 0);
    EXPECT_NE(player.extractor.socketPath(), all.extractor.socketPath());
    ASSERT_TRUE(player.extractor.waitUntilIdle(60s));
    ASSERT_TRUE(all.extractor.waitUntilIdle(60s));
    expectPlayerTrack(player.records(), 700);
    EXPECT_EQ(all.records().size(), 130u);
}

TEST(SubtitleExtractorClip, StopBeforeTheConverterConnectsThenRestartAtOnce) {
    TempFolder tmp;
    const std::string clip = clipOf(tmp, "clip.mp4", cueClip(25));
    const std::string sleeper = tmp.write("sleeper", "#!/bin/sh\nexec sleep 30\n");
    ::chmod(sleeper.c_str(), 0700);
    Harness h;
    h.extractor.setConverterPath(sleeper);
    ASSERT_EQ(h.start(clip), 0);
    h.extractor.stop();
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    EXPECT_TRUE(h.target.messages().empty());

    h.extractor.setConverterPath(converterPath());
    ASSERT_TRUE(h.run(clip));
    expectPlayerTrack(h.records(), 25);
    EXPECT_FALSE(h.extractor.isStopPending());
}

TEST(SubtitleExtractorClip, StopDuringARunThenRestartAtOnce) {
    TempFolder tmp;
    // Far more text than the socket buffers: the converter is still busy
    // when the stop comes.
    const int n = 3000;
    const std::string clip = clipOf(tmp, "long.mp4", cueClip(n));
    GateTarget gate;
    Harness h(TrackSampling::Player, &gate);
    ASSERT_EQ(h.start(clip), 0);
    ASSERT_TRUE(gate.waitReached());

    const auto begin = std::chrono::steady_clock::now();
    std::thread stopper([&] { h.extractor.stop(); });
    while (h.extractor.getState() != EXTRACT_STOPPING && std::chrono::steady_clock::now() - begin < 10s)
        std::this_thread::sleep_for(1ms);
    gate.open();
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 5s);
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    EXPECT_TRUE(h.extractor.isStopPending());
    EXPECT_EQ(gate.countOf(platform::WM_TRACK_EVENT, TRACK_BATCH_READY), 1u);

    gate.clear();
    ASSERT_TRUE(h.run(clip));
    expectPlayerTrack(h.records(), n);
    EXPECT_FALSE(h.extractor.isStopPending());  // cleared by the new run's first batch
    EXPECT_EQ(gate.countOf(platform::WM_TRACK_EVENT, TRACK_BATCH_READY), 5u);
    EXPECT_EQ(gate.countOf(platform::WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE), 1u);
}
