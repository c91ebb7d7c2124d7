// CMplayer against the scripted stand-in player: exact line handling, the
// commands and their refusals, stops, failures and restarts.
#include "support/ScriptedPlayerFixture.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <mutex>

using namespace std::chrono_literals;

namespace {

std::vector<std::string> readArguments(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    std::vector<std::string> parts;
    std::string part;
    for (char c : contents.str()) {
        if (c == '\0') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

}  // namespace

using CMplayerTest = ScriptedPlayerFixture;

TEST_F(CMplayerTest, SettingsReachThePlayerAsWholeArguments) {
    const std::string workDir = folder.path() + "snap shots/";
    player.SetWorkDir(workDir);  // missing: created at the start
    player.SetVideoWindow(77);
    player.SetAudioOut("DSound");
    player.SetSoundDevice(2);
    player.SetExtraOptions("-sid 0 -idx -nokeepaspect");
    player.SetVolume(150);
    player.SetMute(true);

    ASSERT_EQ(startScript("say Starting playback\n", "clip 'one' \"two\" ünï.script"), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_STARTED));
    EXPECT_NE(player.GetCommandLine().find(" \"" + scriptPath + "\" -wid 77 "), std::string::npos);

    const auto args = readArguments(scriptPath + ".args");
    const std::vector<std::string> expected{workDir.substr(0, workDir.size() - 1),
                                            VELTARA_SCRIPTED_PLAYER,
                                            scriptPath,
                                            "-wid",
                                            "77",
                                            "-vo",
                                            "null",
                                            "-slave",
                                            "-quiet",
                                            "-identify",
                                            "-ao",
                                            "dsound:device=2",
                                            "-volume",
                                            "100",
                                            "-muteset",
                                            "1",
                                            "-sid",
                                            "0",
                                            "-idx",
                                            "-nokeepaspect"};
    EXPECT_EQ(args, expected);
}

TEST_F(CMplayerTest, OutputLinesBecomeValuesEventsAndCallbacks) {
    std::mutex mutex;
    std::vector<std::pair<std::string, int32_t>> texts;
    int stopFromCallback = -1;
    player.SetSubtitleCallback([&](const std::string& text, int32_t pid) {
        std::lock_guard lock(mutex);
        texts.emplace_back(text, pid);
        stopFromCallback = player.Stop();  // must not wait for its own thread
    });

    ASSERT_EQ(startScript("say ID_VIDEO_WIDTH=1280\n"
                          "say ID_VIDEO_HEIGHT=720\n"
                          "say ID_VIDEO_ASPECT=0.0000\n"
                          "say ID_LENGTH=30.00\n"
                          "say Starting playback\n"
                          "say ANS_TIME_POSITION=12.9\n"
                          "say *** screenshot shot0009.png ***\n"
                          "say *** screenshot 'shot0001.png' ***\n"
                          // one line in two writes, well apart
                          "write ID_SUBTITLE_LOG=2016-05-20 10:30\n"
                          "sleep 150\n"
                          "write :15/E113 56 12.34/N22 33 44.50\\n\n"
                          "say ID_SUBTITLE_LOG=\n"
                          "say ID_SUBTITLE_LOG=" +
                          std::string(200, 'x') +
                          "\n"
                          "say ID_SUBTITLE_LOG=\n"),
              0);
    const uint32_t pid = player.GetProcessId();
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (eventCount(PLAYER_NO_SUBTITLE) < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);

    EXPECT_EQ(eventCodes(), (std::vector<uintptr_t>{PLAYER_ASPECT, PLAYER_STARTED, PLAYER_TIME, PLAYER_SCREENSHOT,
                                                    PLAYER_NO_SUBTITLE, PLAYER_NO_SUBTITLE}));
    EXPECT_EQ(player.GetState(), PlayerState::Playing);
    EXPECT_EQ(player.GetVideoWidth(), 1280);
    EXPECT_EQ(player.GetVideoHeight(), 720);
    EXPECT_NEAR(player.GetAspect(), 1.7778, 1e-4);
    EXPECT_DOUBLE_EQ(player.GetLength(), 30.0);
    EXPECT_EQ(player.GetPosition(), 12);
    EXPECT_EQ(player.GetScreenshotName(), "shot0001.png");
    EXPECT_EQ(player.GetSubtitleText(), std::string(127, 'x'));  // the empty answer left it alone

    std::lock_guard lock(mutex);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].first, "2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50");
    EXPECT_EQ(texts[0].second, static_cast<int32_t>(pid));
    EXPECT_EQ(texts[1].first.size(), 127u);
    EXPECT_EQ(stopFromCallback, 1);
}

TEST_F(CMplayerTest, SeekIsBoundedByTheLengthAndDropsTheNextPositionAnswer) {
    ASSERT_EQ(startScript("wait go\n"
                          "say ID_LENGTH=10.0\n"
                          "say Starting playback\n"
                          "wait seek 10 2\n"
                          "wait answer\n"
                          "say ANS_TIME_POSITION=3.0\n"
                          "say ANS_TIME_POSITION=9.6\n"),
              0);
    // Starting: commands wait for playback.
    EXPECT_EQ(player.GetState(), PlayerState::Starting);
    EXPECT_EQ(player.Seek(5), 1);
    EXPECT_EQ(player.TakeScreenshot(), 1);
    EXPECT_EQ(player.TogglePause(), 0);
    EXPECT_EQ(player.SetVolume(20), 0);
    std::this_thread::sleep_for(700ms);
    EXPECT_TRUE(commands(true).empty());  // not even "sub_log_static" before playback
    EXPECT_EQ(player.SendCommand("go", true), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_STARTED));

    EXPECT_EQ(player.Seek(-1), 0);
    EXPECT_EQ(player.Seek(11), 0);
    EXPECT_EQ(player.GetPosition(), 0);
    EXPECT_EQ(player.Seek(10), 0);
    EXPECT_EQ(player.GetPosition(), 10);
    EXPECT_EQ(player.SendCommand("answer", true), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_TIME));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(eventCount(PLAYER_TIME), 1u);
    EXPECT_EQ(player.GetPosition(), 9);
    EXPECT_EQ(commands(), (std::vector<std::string>{"go", "seek 10 2", "answer"}));
}

TEST_F(CMplayerTest, VolumeMuteAndPauseSendTheirCommands) {
    ASSERT_EQ(startScript("say ID_LENGTH=10.0\nsay Starting playback\n"), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_STARTED));

    player.SetVolume(150);
    EXPECT_EQ(player.GetVolume(), 100);
    player.SetMute(true);
    player.SetVolume(30);  // stored only while muted
    player.SetMute(false);
    EXPECT_EQ(player.SendCommand("bad\ncommand", true), 1);
    EXPECT_EQ(player.SendCommand(std::string(63, 'c'), true), 1);
    player.TogglePause();
    EXPECT_EQ(player.GetState(), PlayerState::Paused);
    // A paused picture can be saved, moved and stepped.
    EXPECT_EQ(player.TakeScreenshot(), 0);
    EXPECT_EQ(player.Seek(1), 0);
    EXPECT_EQ(player.GetPosition(), 1);
    EXPECT_EQ(player.StepFrame(false), 0);
    EXPECT_EQ(player.SetSpeed(0.0), 1);
    EXPECT_EQ(player.SetSpeed(2.0), 0);

    std::this_thread::sleep_for(1200ms);  // more than two request periods
    player.TogglePause();
    EXPECT_EQ(player.GetState(), PlayerState::Playing);
    EXPECT_EQ(player.StepFrame(true), 1);  // playing: refused
    player.SetMute(true);
    player.TogglePause();
    player.TogglePause();
    EXPECT_TRUE(player.IsMuted());
    EXPECT_EQ(player.GetSpeed(), 2.0);

    const std::vector<std::string> expected{
        "volume 100 1",  "mute 1", "mute 0", "volume 30 1", "get_time_pos", "pause",  "screenshot 0",
        "seek 1 2",      "frame_back_step",  "speed_set 2.00", "pause",      "volume 30 1", "mute 1",
        "get_time_pos",  "pause",  "pause",  "mute 1"};
    EXPECT_EQ(waitForCommands(expected.size()), expected);

    // No "sub_log_static" while paused (one may have crossed the pause), and
    // it comes back once playing.
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (commands(true).back() != "sub_log_static" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    const auto all = commands(true);
    const auto paused = std::find(all.begin(), all.end(), "pause");
    const auto resumed = std::find(paused + 1, all.end(), "pause");
    ASSERT_NE(resumed, all.end());
    EXPECT_LE(std::count(paused, resumed, "sub_log_static"), 1);
    EXPECT_EQ(all.back(), "sub_log_static");

    // At 4 × the text is asked for every half second of the clip, not of
    // real time (two or three asks a second at most before).
    EXPECT_EQ(player.SetSpeed(4.0), 0);
    const size_t before = commands(true).size();
    std::this_thread::sleep_for(1000ms);
    const auto fast = commands(true);
    EXPECT_GE(std::count(fast.begin() + static_cast<std::ptrdiff_t>(before), fast.end(), "sub_log_static"), 5);
}

TEST_F(CMplayerTest, StopEndsThePlayerEvenWhenItIgnoresQuit) {
    for (const bool stubborn : {false, true}) {
        SCOPED_TRACE(stubborn ? "ignores quit" : "quits");
        events.clear();
        ASSERT_EQ(startScript(std::string("say Starting playback\n") + (stubborn ? "ignore-quit\n" : ""),
                              stubborn ? "stubborn.script" : "willing.script"),
                  0);
        ASSERT_TRUE(waitForEvent(PLAYER_STARTED));
        const pid_t pid = static_cast<pid_t>(player.GetProcessId());

        EXPECT_EQ(player.Stop(), 0);
        EXPECT_EQ(player.GetState(), PlayerState::Idle);
        EXPECT_EQ(player.GetProcessId(), 0u);
        EXPECT_TRUE(reaped(pid));
        EXPECT_EQ(commands().back(), "quit");
        // A process being stopped reports nothing more.
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(eventCodes(), std::vector<uintptr_t>{PLAYER_STARTED});
        EXPECT_EQ(player.Stop(), 0);  // again: nothing to do
    }
}

TEST_F(CMplayerTest, ThePlayerEndingItselfIsAPipeErrorAndTheNextStartWorks) {
    // It exits unasked, then it is killed.
    ASSERT_EQ(startScript("say Starting playback\nsleep 100\nexit 0\n"), 0);
    const pid_t first = static_cast<pid_t>(player.GetProcessId());
    ASSERT_TRUE(waitForEvent(PLAYER_PIPE_ERROR));
    EXPECT_EQ(player.GetState(), PlayerState::Idle);
    EXPECT_EQ(player.GetProcessId(), 0u);
    EXPECT_EQ(player.GetLength(), 0.0);
    EXPECT_TRUE(reaped(first));

    events.clear();
    ASSERT_EQ(startScript("say ID_LENGTH=5\nsay Starting playback\n"), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_STARTED));
    const pid_t second = static_cast<pid_t>(player.GetProcessId());
    ASSERT_EQ(::kill(second, SIGKILL), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_PIPE_ERROR));
    EXPECT_EQ(player.GetState(), PlayerState::Idle);
    EXPECT_TRUE(reaped(second));
    EXPECT_EQ(player.SetVolume(10), 0);
    EXPECT_EQ(player.TakeScreenshot(), 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(eventCount(PLAYER_PIPE_ERROR), 1u);
}

TEST_F(CMplayerTest, AFailedCommandCleansUpAndIsAPipeError) {
    ASSERT_EQ(startScript("close-input\nsay Starting playback\nsleep 20000\n"), 0);
    ASSERT_TRUE(waitForEvent(PLAYER_STARTED));
    const pid_t pid = static_cast<pid_t>(player.GetProcessId());
    EXPECT_EQ(player.TakeScreenshot(), 1);
    EXPECT_EQ(eventCount(PLAYER_PIPE_ERROR), 1u);  // posted before the call returns
    EXPECT_EQ(player.GetState(), PlayerState::Idle);
    EXPECT_TRUE(reaped(pid));  // it never quits by itself
    EXPECT_EQ(player.TakeScreenshot(), 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(eventCount(PLAYER_PIPE_ERROR), 1u);
}

TEST_F(CMplayerTest, EndOfClipStopsAndReapsThePlayer) {
    ASSERT_EQ(startScript("say Starting playback\nsay ID_EXIT=EOF\nsleep 50\nexit 0\n"), 0);
    const pid_t pid = static_cast<pid_t>(player.GetProcessId());
    ASSERT_TRUE(waitForEvent(PLAYER_EOF));
    ASSERT_TRUE(waitForState(PlayerState::Idle));
    EXPECT_EQ(player.Stop(), 0);
    EXPECT_TRUE(reaped(pid));
    EXPECT_EQ(eventCodes(), (std::vector<uintptr_t>{PLAYER_STARTED, PLAYER_EOF}));
}

TEST_F(CMplayerTest, AMissingPlayerIsAnErrorWithoutEvents) {
    player.SetPlayerPath(folder.path() + "MPlayer/mplayer");
    EXPECT_EQ(startScript("say Starting playback\n"), ENOENT);
    EXPECT_EQ(player.GetState(), PlayerState::Idle);
    EXPECT_EQ(player.GetProcessId(), 0u);
    EXPECT_EQ(player.Stop(), 0);
    EXPECT_TRUE(events.messages().empty());
}

// Start over and over while the reader is busy posting, with a second thread
// setting the volume and reading values as the start-up thread may.
TEST_F(CMplayerTest, RepeatedStartsWhileTheOutputFloodsLeaveNoProcessBehind) {
    std::atomic<bool> done{false};
    std::thread other([&] {
        for (int i = 0; !done.load(); ++i) {
            player.SetVolume(i % 101);
            (void)player.GetPosition();
            (void)player.GetScreenshotName();
            std::this_thread::sleep_for(1ms);
        }
    });
    std::atomic<int> callbacks{0};
    player.SetSubtitleCallback([&](const std::string&, int32_t) { callbacks.fetch_add(1); });

    std::vector<pid_t> pids;
    for (int round = 0; round < 8; ++round) {
        ASSERT_EQ(startScript("say ID_LENGTH=100\n"
                              "say Starting playback\n"
                              "on sub_log_static=ID_SUBTITLE_LOG=2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50\n"
                              "flood 2000 ANS_TIME_POSITION=5.5\n"
                              "flood 2000 *** screenshot 'shot0001.png' ***\n"),
                  0);
        pids.push_back(static_cast<pid_t>(player.GetProcessId()));
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * round));
        player.TogglePause();
        player.Seek(round);
        player.TogglePause();
    }
    std::this_thread::sleep_for(600ms);
    player.Stop();
    done.store(true);
    other.join();

    EXPECT_EQ(player.GetState(), PlayerState::Idle);
    for (pid_t pid : pids) EXPECT_TRUE(reaped(pid)) << pid;
    EXPECT_EQ(eventCount(PLAYER_PIPE_ERROR), 0u);
    EXPECT_GT(eventCount(PLAYER_TIME), 0u);
}

// The engine's log quotes file names and contents: whatever it holds (a line
// of its own after a CR, a protocol line at the 4096-byte cut) never reaches
// the parser. A player that never starts playing counts as ended after 10 s.
TEST_F(CMplayerTest, OnlyProtocolLinesCountAndAStartThatHangsEnds) {
    std::atomic<bool> planted{false};
    player.SetSubtitleCallback([&](const std::string& text, int32_t) {
        if (text.find("2099") != std::string::npos) planted = true;
    });
    ASSERT_EQ(startScript("log x\\rID_SUBTITLE_LOG=2099-01-01 00:00:00/E113 56 12.34/N22 33 44.50/1850/X:1/Y:1/Z:1\\n\n"
                          "log " +
                          std::string(4096, 'x') +
                          "ID_EXIT=QUIT\\n\n"
                          "say Starting playback...\n"
                          "on sub_log_static=ID_SUBTITLE_LOG=\n"),
              0);
    ASSERT_TRUE(waitForEvent(PLAYER_STARTED));
    std::this_thread::sleep_for(1200ms);  // a few sub_log_static rounds
    EXPECT_EQ(player.GetState(), PlayerState::Playing);
    EXPECT_EQ(eventCount(PLAYER_QUIT), 0u);
    EXPECT_FALSE(planted.load());
    player.Stop();

    ASSERT_EQ(startScript("sleep 60000\n", "hangs.script"), 0);
    const pid_t pid = static_cast<pid_t>(player.GetProcessId());
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitForEvent(PLAYER_EOF));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 9s);
    EXPECT_TRUE(waitForState(PlayerState::Idle));
    EXPECT_TRUE(reaped(pid));
}
