// The playback controller on a program folder whose player is the scripted
// stand-in: what it passes to the player, its own length and position, the
// live path into the track parser, snapshots, and extraction runs.
#include "platform/FileSystem.h"
#include "platform/RecordingMessageTarget.h"
#include "player/CPlaybackController.h"
#include "support/ClipFactory.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"
#include "track/TrackEvents.h"
#include "track/TrackMapConversion.h"
#include "track/MapKind.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr auto kWait = 15s;
constexpr const char* kTrackText = "2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50/23.5";

class CPlaybackControllerTest : public ::testing::Test {
protected:
    CPlaybackControllerTest() {
        platform::makeDirectory(programFolder.path() + "MPlayer");
        platform::makeDirectory(programFolder.path() + "FFMpeg");
        EXPECT_EQ(::symlink(VELTARA_SCRIPTED_PLAYER, (programFolder.path() + "MPlayer/mplayer").c_str()), 0);
        const std::string ffmpeg = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
        EXPECT_EQ(::symlink(platform::pathExists(ffmpeg) ? ffmpeg.c_str() : "/usr/bin/ffmpeg",
                            (programFolder.path() + "FFMpeg/ffmpeg").c_str()),
                  0);
        config.videoOutput = "null";
        config.audioOutput = "null";
        setup.programFolder = programFolder.path();
        setup.userDataFolder = data.path();
        setup.window = &window;
        setup.videoWindow = 31;
        setup.config = &config;
    }

    std::string script(const std::string& name, const std::string& text) { return clips.write(name, text); }
    bool waitForPlayer(uintptr_t code) { return window.waitFor(platform::WM_PLAYER_EVENT, code, kWait); }

    static std::string arguments(const std::string& scriptPath) {
        std::ifstream in(scriptPath + ".args", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (char& c : text)
            if (c == '\0') c = '|';
        return text;
    }

    testing_support::TempFolder programFolder;
    testing_support::TempFolder data;
    testing_support::TempFolder clips;
    platform::RecordingMessageTarget window;
    AppConfig config;
    PlaybackSetup setup;
    CPlaybackController controller;  // last: stopped before the rest goes
};

}  // namespace

TEST_F(CPlaybackControllerTest, PlayPassesTheSettingsAndKeepsWholeSeconds) {
    controller.StartServices(setup);
    controller.SetVolume(35);  // before any clip: the next start passes it

    const std::string clip = script("clip one.script",
                                    "sleep 1000\n"
                                    "say ID_VIDEO_WIDTH=640\n"
                                    "say ID_VIDEO_HEIGHT=360\n"
                                    "say ID_LENGTH=61.9\n"
                                    "say Starting playback\n"
                                    "say ANS_TIME_POSITION=42.7\n");
    ASSERT_EQ(controller.Play(clip), 0);
    EXPECT_EQ(controller.Play(clip), 1);  // ignored while starting
    EXPECT_EQ(controller.Seek(20), 1);    // refused: the position stays 0
    EXPECT_EQ(controller.GetPosition(), 0);

    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    controller.UpdateLength();
    EXPECT_EQ(controller.GetLength(), 61);
    ASSERT_TRUE(waitForPlayer(PLAYER_TIME));
    EXPECT_EQ(controller.UpdatePosition(), 42);
    int32_t width = 0, height = 0;
    controller.GetVideoSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 360);
    EXPECT_EQ(arguments(clip), data.path().substr(0, data.path().size() - 1) + "|" + programFolder.path() +
                                   "MPlayer/mplayer|" + clip +
                                   "|-wid|31|-vo|null|-slave|-quiet|-identify|-ao|null|-volume|35|-muteset|0|"
                                   "-sid|0|-idx|-nokeepaspect|");

    // Paused, the seek goes out; the position is the target, at most the length.
    controller.TogglePause();
    EXPECT_EQ(controller.GetPlayerState(), PlayerState::Paused);
    EXPECT_EQ(controller.Seek(50), 0);
    EXPECT_EQ(controller.GetPosition(), 50);
    EXPECT_EQ(controller.Seek(100), 0);
    EXPECT_EQ(controller.GetPosition(), 61);

    controller.StopPlayer();
    EXPECT_EQ(controller.GetPlayerState(), PlayerState::Idle);
    EXPECT_EQ(controller.GetLength(), 0);
    EXPECT_EQ(controller.GetPosition(), 0);
    EXPECT_EQ(controller.GetPlayerProcessId(), 0u);
}

TEST_F(CPlaybackControllerTest, LiveTrackTextsReachTheParserTaggedWithTheProcess) {
    controller.StartServices(setup);
    const std::string good = script("good.script", std::string("say Starting playback\n"
                                                               "on sub_log_static=ID_SUBTITLE_LOG=") +
                                                       kTrackText + "\n");
    ASSERT_EQ(controller.Play(good), 0);
    const uint32_t first = controller.GetPlayerProcessId();
    ASSERT_TRUE(window.waitFor(platform::WM_TRACK_LIVE, kWait));
    const auto live = window.messagesOf(platform::WM_TRACK_LIVE).front();
    EXPECT_EQ(live.wParam, first);
    EXPECT_EQ(live.lParam, 1);
    const TrackRecord record = controller.CurrentRecord();
    EXPECT_TRUE(record.valid);
    EXPECT_EQ(record.year, 2016);
    EXPECT_NEAR(record.latitude, 22.562361, 1e-5);

    // The next clip's texts carry the next process's id.
    const std::string bad = script("bad.script", "say Starting playback\non sub_log_static=ID_SUBTITLE_LOG=garbage\n");
    ASSERT_EQ(controller.Play(bad), 0);
    const uint32_t second = controller.GetPlayerProcessId();
    EXPECT_NE(second, first);
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (window.messagesOf(platform::WM_TRACK_LIVE).back().wParam != second &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(window.messagesOf(platform::WM_TRACK_LIVE).back().lParam, 0);
}

// An NMEA clip: its data fills the store, and the live record follows the
// player's positions; the engine's text (NMEA, no camera text) and its empty
// answers reach neither the parser nor the panel.
TEST_F(CPlaybackControllerTest, AClipWithItsOwnDataFollowsThePlayersPositionsNotItsTexts) {
    testing_support::TelemetryClipSpec spec;
    spec.layout = testing_support::ClipLayout::Nmea;
    const std::string clip = clips.path() + "nmea.mp4";
    ASSERT_EQ(testing_support::makeTelemetryClip(clip, spec), "");
    controller.StartServices(setup);
    ASSERT_EQ(controller.StartExtraction(clip), 0);
    ASSERT_TRUE(window.waitFor(platform::WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE, kWait));
    EXPECT_GT(controller.Store().getReadyPages(), 0);
    EXPECT_FALSE(controller.IsExtractorStopPending());

    ASSERT_EQ(controller.Play(script("nmea.script", "say Starting playback\n"
                                                    "on get_time_pos=ANS_TIME_POSITION=10.200\n"
                                                    "on sub_log_static=ID_SUBTITLE_LOG=$GPRMC,100010.00,A\n"
                                                    "say ID_SUBTITLE_LOG=\n")),
              0);
    const uint32_t pid = controller.GetPlayerProcessId();
    ASSERT_TRUE(window.waitFor(platform::WM_TRACK_LIVE, kWait));
    std::this_thread::sleep_for(1200ms);  // more than two rounds of live questions
    for (const platform::WindowMessage& m : window.messagesOf(platform::WM_TRACK_LIVE)) {
        EXPECT_EQ(m.wParam, pid);
        EXPECT_EQ(m.lParam, 1);
    }
    EXPECT_EQ(window.countOf(platform::WM_PLAYER_EVENT, PLAYER_NO_SUBTITLE), 0u);
    const TrackRecord record = controller.CurrentRecord();
    EXPECT_TRUE(hasPositionFix(record));
    EXPECT_NEAR(record.speed, 30.0 + 3.0 * 10.2, 0.2);
    controller.StopPlayer();
    controller.StopExtraction();
}

TEST_F(CPlaybackControllerTest, SnapshotPathIsTheWorkingFolderFollowedByTheName) {
    controller.StartServices(setup);
    EXPECT_EQ(controller.TakeScreenshot(), 1);
    ASSERT_EQ(controller.Play(script("shot.script",
                                     "say Starting playback\n"
                                     "wait screenshot 0\n"
                                     "say *** screenshot 'shot0001.png' ***\n")),
              0);
    ASSERT_TRUE(waitForPlayer(PLAYER_STARTED));
    EXPECT_EQ(controller.TakeScreenshot(), 0);
    ASSERT_TRUE(waitForPlayer(PLAYER_SCREENSHOT));
    EXPECT_EQ(controller.GetSnapshotPath(), data.path() + "shot0001.png");
}

TEST_F(CPlaybackControllerTest, AMissingPlayerOrClipStartsNothing) {
    testing_support::TempFolder empty;
    setup.programFolder = empty.path();
    controller.StartServices(setup);
    EXPECT_EQ(controller.Play(script("any.script", "say Starting playback\n")), ENOENT);
    EXPECT_EQ(controller.GetPlayerState(), PlayerState::Idle);
    EXPECT_EQ(controller.StartExtraction(clips.path() + "missing.mp4"), 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(window.messages().empty());
}

TEST_F(CPlaybackControllerTest, ExtractionFillsTheStoreAndANewRunReplacesTheOld) {
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(100);
    spec.durationSeconds = 10.0;
    const std::string clip = clips.path() + "camera clip.mp4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");
    controller.StartServices(setup);

    ASSERT_EQ(controller.StartExtraction(clip), 0);
    // A second run on top of the first: the first is stopped, the store cleared.
    ASSERT_EQ(controller.StartExtraction(clip), 0);
    TrackStore& store = controller.Store();
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (store.getReadyPages() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms);
    ASSERT_EQ(store.getReadyPages(), 1);
    // One text in ten, and the last once more, of the second run alone.
    EXPECT_EQ(store.getPage(0)->count(), 11);
    EXPECT_TRUE(store.getPage(0)->records()[0].valid);
    EXPECT_FALSE(controller.IsExtractorStopPending());
    controller.StopExtraction();
}

TEST_F(CPlaybackControllerTest, TheTrackLineTakesTheDatumOfTheMapPageInUse) {
    // "YandexMap" in China shows the Baidu page: the map kind alone would
    // leave the line in WGS-84 while the marker is in BD-09.
    config.mapKind.store(MAP_KIND_YANDEX);
    config.locale = "China";
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(20);
    spec.durationSeconds = 3.0;
    const std::string clip = clips.path() + "china.mp4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");
    TrackStore& store = controller.Store();
    auto firstRecord = [&]() -> std::optional<TrackRecord> {
        if (controller.StartExtraction(clip) != 0) return std::nullopt;
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (store.getReadyPages() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        if (store.getReadyPages() == 0) return std::nullopt;
        return store.getPage(0)->records()[0];
    };

    controller.StartServices(setup);  // no datum handed over: from the map kind
    const auto derived = firstRecord();
    ASSERT_TRUE(derived && derived->valid);
    EXPECT_EQ(derived->mapLatitude, derived->latitude);

    setup.trackConversion = TrackMapConversion::Baidu;
    controller.ConfigureExtractor(setup);
    const auto handed = firstRecord();
    ASSERT_TRUE(handed && handed->valid);
    TrackRecord expected = *handed;
    ASSERT_TRUE(convertPage(TrackMapConversion::Baidu, &expected, 1));
    EXPECT_NE(handed->mapLatitude, handed->latitude);
    EXPECT_EQ(handed->mapLatitude, expected.mapLatitude);
    EXPECT_EQ(handed->mapLongitude, expected.mapLongitude);
    controller.StopExtraction();
}
