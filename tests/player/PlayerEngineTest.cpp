// The playback controller with the real player engine of the program folder
// (no picture, no sound) on clips made for the test. Skipped where the
// engine is not built (the sanitizer builds of the core).
#include "platform/FileSystem.h"
#include "platform/RecordingMessageTarget.h"
#include "player/CPlaybackController.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"
#include "track/TrackEvents.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr auto kWait = 20s;
const std::string kProgramFolder = VELTARA_TEST_PROGRAM_DIR;

bool reaped(uint32_t pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
}

class PlayerEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!platform::isRegularFile(kProgramFolder + "MPlayer/mplayer")) return;
        clips_ = std::make_unique<testing_support::TempFolder>();
        testing_support::ClipSpec spec;
        spec.durationSeconds = 4.0;
        spec.trackTexts = testing_support::cameraTrack(40);
        ASSERT_EQ(testing_support::makeClip(shortClip(), spec), "");
        spec.durationSeconds = 12.0;
        spec.trackTexts = testing_support::cameraTrack(120);
        ASSERT_EQ(testing_support::makeClip(longClip(), spec), "");
        ASSERT_TRUE(platform::copyFile(shortClip(), oddClip(), true));
        spec.durationSeconds = 3.0;
        spec.withSubtitle = false;
        ASSERT_EQ(testing_support::makeClip(bareClip(), spec), "");
    }
    static void TearDownTestSuite() { clips_.reset(); }

    static std::string shortClip() { return clips_->path() + "short.mp4"; }
    static std::string longClip() { return clips_->path() + "long.mp4"; }
    static std::string oddClip() { return clips_->path() + "a b 'c' \"d\" ünï.mp4"; }
    static std::string bareClip() { return clips_->path() + "bare.mp4"; }

    void SetUp() override {
        if (!clips_) GTEST_SKIP() << "the player engine is not built here";
        config.videoOutput = "null";
        config.audioOutput = "null";
        PlaybackSetup setup;
        setup.programFolder = kProgramFolder;
        setup.userDataFolder = data.path();
        setup.window = &window;
        setup.config = &config;
        controller = std::make_unique<CPlaybackController>();
        controller->StartServices(setup);
    }
    void TearDown() override { controller.reset(); }

    bool waitForPlayer(uintptr_t code) { return window.waitFor(platform::WM_PLAYER_EVENT, code, kWait); }
    size_t countOf(uintptr_t code) const { return window.countOf(platform::WM_PLAYER_EVENT, code); }
    bool waitForCount(uintptr_t code, size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (countOf(code) < count)
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            else
                std::this_thread::sleep_for(10ms);
        return true;
    }
    bool waitForState(PlayerState state) {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (controller->GetPlayerState() != state)
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            else
                std::this_thread::sleep_for(10ms);
        return true;
    }

    static inline std::unique_ptr<testing_support::TempFolder> clips_;
    testing_support::TempFolder data;
    platform::RecordingMessageTarget window;
    AppConfig config;
    std::unique_ptr<CPlaybackController> controller;
};

}  // namespace

TEST_F(PlayerEngineTest, AClipPlaysToItsEndWithTimeLiveTrackAndExtraction) {
    ASSERT_EQ(controller->Play(shortClip()), 0);
    ASSERT_EQ(controller->StartExtraction(shortClip()), 0);
    const uint32_t pid = controller->GetPlayerProcessId();
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    controller->UpdateLength();
    EXPECT_EQ(controller->GetLength(), 4);
    EXPECT_EQ(controller->GetPlayerState(), PlayerState::Playing);
    EXPECT_NEAR(controller->GetAspect(), 160.0 / 90.0, 1e-3);

    ASSERT_TRUE(waitForPlayer(PLAYER_TIME));
    ASSERT_TRUE(window.waitFor(platform::WM_TRACK_LIVE, kWait));
    const auto live = window.messagesOf(platform::WM_TRACK_LIVE).front();
    EXPECT_EQ(live.wParam, pid);
    EXPECT_EQ(live.lParam, 1);
    EXPECT_EQ(controller->CurrentRecord().year, 2016);
    EXPECT_TRUE(window.waitFor(platform::WM_TRACK_EVENT, TRACK_BATCH_READY, kWait));

    ASSERT_TRUE(waitForPlayer(PLAYER_EOF));
    ASSERT_TRUE(waitForState(PlayerState::Idle));
    controller->StopPlayer();
    EXPECT_TRUE(reaped(pid));
    EXPECT_EQ(countOf(PLAYER_PIPE_ERROR), 0u);
    // A text at every moment but, when a query lands there, the very end,
    // where the last cue has just closed.
    EXPECT_LE(countOf(PLAYER_NO_SUBTITLE), 1u);
}

TEST_F(PlayerEngineTest, SnapshotsPauseSeekAndVolumeWhilePlaying) {
    ASSERT_EQ(controller->Play(longClip()), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    controller->UpdateLength();

    controller->SetVolume(150);
    EXPECT_EQ(controller->GetVolume(), 100);
    controller->SetMute(true);
    EXPECT_TRUE(controller->IsMuted());
    controller->SetMute(false);

    EXPECT_EQ(controller->TakeScreenshot(), 0);
    ASSERT_TRUE(waitForCount(PLAYER_SCREENSHOT, 1));
    EXPECT_EQ(controller->GetSnapshotPath(), data.path() + "shot0001.png");
    EXPECT_TRUE(platform::isRegularFile(data.path() + "shot0001.png"));
    EXPECT_EQ(controller->TakeScreenshot(), 0);
    ASSERT_TRUE(waitForCount(PLAYER_SCREENSHOT, 2));
    EXPECT_EQ(controller->GetSnapshotPath(), data.path() + "shot0002.png");
    EXPECT_TRUE(platform::isRegularFile(data.path() + "shot0002.png"));

    // Paused, the position stands still.
    const size_t beforePause = countOf(PLAYER_TIME);
    controller->TogglePause();
    EXPECT_EQ(controller->GetPlayerState(), PlayerState::Paused);
    ASSERT_TRUE(waitForCount(PLAYER_TIME, beforePause + 1));  // the answer to "get_time_pos"
    std::this_thread::sleep_for(300ms);
    const int32_t pausedAt = controller->UpdatePosition();
    std::this_thread::sleep_for(1000ms);
    EXPECT_EQ(controller->UpdatePosition(), pausedAt);
    controller->TogglePause();
    EXPECT_EQ(controller->GetPlayerState(), PlayerState::Playing);

    // The position answers after a seek come from the new place.
    const size_t times = countOf(PLAYER_TIME);
    EXPECT_EQ(controller->Seek(9), 0);
    EXPECT_EQ(controller->GetPosition(), 9);
    ASSERT_TRUE(waitForCount(PLAYER_TIME, times + 1));
    EXPECT_GE(controller->UpdatePosition(), 8);
    EXPECT_EQ(countOf(PLAYER_PIPE_ERROR), 0u);
}

TEST_F(PlayerEngineTest, PlayingAnotherClipEndsTheFirstProcessAndOddPathsPlay) {
    ASSERT_EQ(controller->Play(longClip()), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    const uint32_t first = controller->GetPlayerProcessId();

    ASSERT_EQ(controller->Play(oddClip()), 0);
    EXPECT_TRUE(reaped(first));
    ASSERT_TRUE(waitForCount(PLAYER_STARTED, 2));
    controller->UpdateLength();
    EXPECT_EQ(controller->GetLength(), 4);
    EXPECT_NE(controller->GetPlayerProcessId(), first);
}

TEST_F(PlayerEngineTest, AClipWithoutTrackReportsNoSubtitle) {
    ASSERT_EQ(controller->Play(bareClip()), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    ASSERT_TRUE(waitForPlayer(PLAYER_NO_SUBTITLE));
    EXPECT_TRUE(window.messagesOf(platform::WM_TRACK_LIVE).empty());
}

TEST_F(PlayerEngineTest, AKilledEngineIsAPipeErrorAndTheNextPlayWorks) {
    ASSERT_EQ(controller->Play(longClip()), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    const uint32_t pid = controller->GetPlayerProcessId();
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_PIPE_ERROR));
    EXPECT_EQ(controller->GetPlayerState(), PlayerState::Idle);
    EXPECT_EQ(controller->GetPlayerProcessId(), 0u);
    EXPECT_TRUE(reaped(pid));

    ASSERT_EQ(controller->Play(shortClip()), 0);
    ASSERT_TRUE(waitForCount(PLAYER_STARTED, 2));
    EXPECT_EQ(countOf(PLAYER_PIPE_ERROR), 1u);
}

TEST_F(PlayerEngineTest, APausedPictureSeeksStepsAndIsSavedAndTheSpeedHolds) {
    ASSERT_EQ(controller->Play(longClip()), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    controller->UpdateLength();
    const size_t beforePause = countOf(PLAYER_TIME);
    controller->TogglePause();
    ASSERT_TRUE(waitForCount(PLAYER_TIME, beforePause + 1));

    // Paused, a seek goes out; the new frame's position and record follow.
    const size_t lives = window.messagesOf(platform::WM_TRACK_LIVE).size();
    const size_t times = countOf(PLAYER_TIME);
    ASSERT_EQ(controller->Seek(3), 0);
    EXPECT_EQ(controller->GetPosition(), 3);
    ASSERT_TRUE(waitForCount(PLAYER_TIME, times + 1));
    EXPECT_EQ(controller->UpdatePosition(), 3);
    EXPECT_NEAR(static_cast<double>(controller->GetPositionMs()), 3000.0, 100.0);
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (window.messagesOf(platform::WM_TRACK_LIVE).size() == lives && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_NEAR(controller->CurrentRecord().second, 30, 1);  // a cue every 0.1 s, its second counting on
    EXPECT_EQ(controller->GetPlayerState(), PlayerState::Paused);

    // One frame (0.1 s at 10 frames a second) forward, then back.
    const int64_t at = controller->GetPositionMs();
    ASSERT_EQ(controller->StepFrame(true), 0);
    ASSERT_TRUE(waitForCount(PLAYER_TIME, times + 2));
    EXPECT_NEAR(static_cast<double>(controller->GetPositionMs() - at), 100.0, 20.0);
    ASSERT_EQ(controller->StepFrame(false), 0);
    ASSERT_TRUE(waitForCount(PLAYER_TIME, times + 3));
    EXPECT_NEAR(static_cast<double>(controller->GetPositionMs()), static_cast<double>(at), 20.0);

    // A paused picture is saved, and stays paused.
    ASSERT_EQ(controller->TakeScreenshot(), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_SCREENSHOT));
    EXPECT_TRUE(platform::isRegularFile(controller->GetSnapshotPath()));
    EXPECT_EQ(controller->GetPlayerState(), PlayerState::Paused);

    // Twice the speed: about two seconds of clip a second; the engine confirms it.
    ASSERT_EQ(controller->SetSpeed(2.0), 0);
    controller->TogglePause();
    std::this_thread::sleep_for(600ms);
    const int64_t from = controller->GetPositionMs();
    std::this_thread::sleep_for(2000ms);
    const int64_t advanced = controller->GetPositionMs() - from;
    EXPECT_GT(advanced, 3000);
    EXPECT_LT(advanced, 5000);
    EXPECT_EQ(controller->GetSpeed(), 2.0);
    EXPECT_EQ(countOf(PLAYER_PIPE_ERROR), 0u);
}
