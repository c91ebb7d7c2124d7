// The built engine playing camera-like clips without any output device
// (-vo null -ao null), driven through its slave protocol as the program
// drives it.
#include "support/ClipFactory.h"
#include "support/EngineRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using testing_support::EngineRun;

namespace {

// Two cues of one second each, then two seconds without a track text.
constexpr double kClipSeconds = 4.0;

double positionOf(const std::string& line) {
    return std::atof(line.c_str() + std::string("ANS_TIME_POSITION=").size());
}

class EnginePlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new testing_support::TempFolder;
        testing_support::ClipSpec spec;
        spec.trackTexts = testing_support::cameraTrack(2);
        spec.cueSeconds = 1.0;
        spec.durationSeconds = kClipSeconds;
        clip_ = folder_->path() + "clip.mp4";
        clipError_ = testing_support::makeClip(clip_, spec);
    }
    static void TearDownTestSuite() { delete folder_; }

    void SetUp() override {
        ASSERT_EQ(clipError_, "");
        ASSERT_TRUE(std::filesystem::exists(EngineRun::enginePath())) << EngineRun::enginePath();
    }

    // The program's command line, with outputs that need no devices.
    static std::vector<std::string> programArgs(const std::string& clip) {
        return {clip,      "-vo", "null",     "-slave", "-quiet", "-identify", "-ao",  "null",
                "-volume", "50",  "-muteset", "0",      "-sid",   "0",         "-idx", "-nokeepaspect"};
    }

    // Starts the clip paused at its beginning, so tests are not racing the clock.
    void startPaused(EngineRun& run, const std::string& workDir = {}) {
        ASSERT_TRUE(run.start(programArgs(clip_), workDir));
        ASSERT_TRUE(run.next("Starting playback", 10s));
        run.send("pause");
    }

    // Asks until the answer to `command` is `expected` (a seek takes effect
    // shortly after it is sent); returns the last answer.
    static std::string askUntil(EngineRun& run, const std::string& command, const std::string& prefix,
                                const std::string& expected) {
        std::string last;
        for (int i = 0; i < 50 && last != expected; ++i) {
            run.send(command);
            last = run.next(prefix, 5s).value_or("(no answer)");
            if (last != expected) std::this_thread::sleep_for(100ms);
        }
        return last;
    }

    static testing_support::TempFolder* folder_;
    static std::string clip_;
    static std::string clipError_;
};

testing_support::TempFolder* EnginePlayback::folder_ = nullptr;
std::string EnginePlayback::clip_;
std::string EnginePlayback::clipError_;

TEST_F(EnginePlayback, IdentifiesStartsReportsPositionsAndEndsAtEndOfFile) {
    EngineRun run;
    ASSERT_TRUE(run.start(programArgs(clip_)));
    EXPECT_EQ(run.next("ID_VIDEO_WIDTH=", 10s), "ID_VIDEO_WIDTH=160");
    EXPECT_EQ(run.next("ID_VIDEO_HEIGHT=", 1s), "ID_VIDEO_HEIGHT=90");
    EXPECT_EQ(run.next("ID_LENGTH=", 1s), "ID_LENGTH=4.00");
    EXPECT_EQ(run.next("ID_VIDEO_ASPECT=", 5s), "ID_VIDEO_ASPECT=1.7778");
    ASSERT_TRUE(run.next("Starting playback", 5s));

    // Positions come by themselves while playing, in order.
    std::vector<double> positions;
    while (auto line = run.next("ANS_TIME_POSITION=", 3s)) positions.push_back(positionOf(*line));
    EXPECT_GE(positions.size(), 5u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    ASSERT_FALSE(positions.empty());
    EXPECT_GE(positions.back(), 3.0);

    EXPECT_EQ(run.finish(10s), 0);
    EXPECT_EQ(run.lines().back(), "ID_EXIT=EOF");
    EXPECT_EQ(run.errors(), "");
}

TEST_F(EnginePlayback, PauseHoldsThePositionAndResumeGoesOn) {
    EngineRun run;
    startPaused(run);
    run.send("get_time_pos");
    const auto held = run.next("ANS_TIME_POSITION=", 5s);
    ASSERT_TRUE(held);
    std::this_thread::sleep_for(1200ms);
    run.send("get_time_pos");
    // Only the answer: no periodic positions while paused, and the same value.
    EXPECT_EQ(run.next("ANS_TIME_POSITION=", 5s), held);

    // Resumed, the positions go on by themselves.
    run.send("pause");
    double later = -1;
    while (later <= positionOf(*held) + 0.5)
        if (auto line = run.next("ANS_TIME_POSITION=", 5s))
            later = positionOf(*line);
        else
            break;
    EXPECT_GT(later, positionOf(*held) + 0.5);
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
}

TEST_F(EnginePlayback, SeekVolumeAndMuteAreAccepted) {
    EngineRun run;
    startPaused(run);
    EXPECT_EQ(askUntil(run, "get_time_pos", "ANS_TIME_POSITION=", "ANS_TIME_POSITION=0.000"),
              "ANS_TIME_POSITION=0.000");
    run.send("seek 2 2");
    EXPECT_EQ(askUntil(run, "get_time_pos", "ANS_TIME_POSITION=", "ANS_TIME_POSITION=2.000"),
              "ANS_TIME_POSITION=2.000");
    // A negative absolute target goes to the start, not to "that far before the end".
    run.send("seek -1 2");
    EXPECT_EQ(askUntil(run, "get_time_pos", "ANS_TIME_POSITION=", "ANS_TIME_POSITION=0.000"),
              "ANS_TIME_POSITION=0.000");
    for (const char* command : {"volume 30 1", "volume 150 1", "mute 1", "mute 0", "mute"}) run.send(command);
    run.send("get_time_pos");
    EXPECT_TRUE(run.next("ANS_TIME_POSITION=", 5s));
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
    EXPECT_EQ(run.errors().find("Warning"), std::string::npos) << run.errors();
}

TEST_F(EnginePlayback, SubtitleLogAnswersTheTextAtThePlayPosition) {
    EngineRun run;
    startPaused(run);
    const std::string first = "ID_SUBTITLE_LOG=" + testing_support::cameraTrackText(0);
    const std::string second = "ID_SUBTITLE_LOG=" + testing_support::cameraTrackText(1);
    EXPECT_EQ(askUntil(run, "sub_log_static", "ID_SUBTITLE_LOG=", first), first);
    run.send("seek 1.5 2");
    EXPECT_EQ(askUntil(run, "sub_log_static", "ID_SUBTITLE_LOG=", second), second);
    run.send("seek 3 2");  // past the last cue
    EXPECT_EQ(askUntil(run, "sub_log_static", "ID_SUBTITLE_LOG=", "ID_SUBTITLE_LOG="), "ID_SUBTITLE_LOG=");
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
}

// A quick hand: seeks sent while playing are still landing when the picture
// is paused and sought again. The last answer is the paused moment's text.
TEST_F(EnginePlayback, APausedSeekAfterSeeksStillOnTheirWayAnswersItsOwnText) {
    testing_support::TempFolder folder;
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(300);  // a text every 0.1 s
    spec.durationSeconds = 30.0;
    // Full-size pictures far apart from their key frames: a seek takes a while.
    spec.width = 1920;
    spec.height = 1080;
    spec.frameRate = 30;
    spec.keyframeInterval = 300;
    spec.withAudio = false;
    const std::string clip = folder.path() + "heavy.mp4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");
    EngineRun run;
    ASSERT_TRUE(run.start(programArgs(clip)));
    ASSERT_TRUE(run.next("Starting playback", 10s));
    const std::string atTen = "ID_SUBTITLE_LOG=" + testing_support::cameraTrackText(100);
    for (int round = 0; round < 3; ++round) {
        std::this_thread::sleep_for(300ms);
        for (const char* command : {"seek 15 2", "seek 25 2", "get_time_pos", "pause", "seek 10 2"}) run.send(command);
        std::this_thread::sleep_for(1500ms);
        std::string last = "(none)";
        while (const auto line = run.next("ID_SUBTITLE_LOG=", 200ms)) last = *line;
        EXPECT_EQ(last, atTen) << "round " << round;
        run.send("pause");
    }
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
}

TEST_F(EnginePlayback, ScreenshotsTakeTheNextFreeNamesInTheWorkingFolder) {
    testing_support::TempFolder work;
    work.write("shot0001.png", "a snapshot of an earlier clip");
    EngineRun run;
    startPaused(run, work.path());
    run.send("screenshot 0");
    run.send("screenshot 0");
    EXPECT_EQ(run.next("*** screenshot", 10s), "*** screenshot 'shot0002.png' ***");
    EXPECT_EQ(run.next("*** screenshot", 10s), "*** screenshot 'shot0003.png' ***");
    // The file is complete when its line comes.
    for (const char* name : {"shot0002.png", "shot0003.png"}) {
        const std::string png = work.read(name);
        ASSERT_GT(png.size(), 100u) << name;
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_NE(png.find("IEND"), std::string::npos);
    }
    EXPECT_EQ(work.read("shot0001.png"), "a snapshot of an earlier clip");
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
}

TEST_F(EnginePlayback, QuitAndTheEndOfInputEndTheEngine) {
    {
        EngineRun run;
        ASSERT_TRUE(run.start(programArgs(clip_)));
        ASSERT_TRUE(run.next("Starting playback", 10s));
        run.send("quit");
        EXPECT_TRUE(run.next("ID_EXIT=QUIT", 5s));
        EXPECT_EQ(run.finish(5s), 0);
    }
    {
        // The program died: its end of the command pipe closes.
        EngineRun run;
        ASSERT_TRUE(run.start(programArgs(clip_)));
        ASSERT_TRUE(run.next("Starting playback", 10s));
        run.closeInput();
        EXPECT_EQ(run.finish(5s), 0);
    }
    {
        // Even before the file is open.
        EngineRun run;
        ASSERT_TRUE(run.start(programArgs(clip_)));
        run.closeInput();
        EXPECT_EQ(run.finish(5s), 0);
    }
}

TEST_F(EnginePlayback, APathWithBlanksQuotesAndNonAsciiPlays) {
    testing_support::TempFolder odd;
    const std::string folder = odd.path() + "Fahrt \"Nord\" 'Süd' 行车记录/";
    std::filesystem::create_directories(folder);
    const std::string clip = folder + "clip 01 $HOME ü.mp4";
    std::filesystem::copy_file(clip_, clip);
    EngineRun run;
    ASSERT_TRUE(run.start(programArgs(clip)));
    EXPECT_TRUE(run.next("Starting playback", 10s));
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
}

TEST_F(EnginePlayback, FilesThatCannotBePlayedEndCleanly) {
    testing_support::TempFolder tmp;
    const std::string garbage = tmp.write("garbage.mp4", std::string(50000, '\x5a'));
    const std::string empty = tmp.write("empty.mp4", "");
    for (const std::string& file : {tmp.path() + "missing.mp4", garbage, empty}) {
        EngineRun run;
        ASSERT_TRUE(run.start(programArgs(file)));
        EXPECT_EQ(run.finish(10s), 1) << file;
        ASSERT_FALSE(run.lines().empty()) << file;
        EXPECT_EQ(run.lines().back(), "ID_EXIT=EOF") << file;
        for (const auto& line : run.lines()) EXPECT_NE(line.rfind("Starting playback", 0), 0u) << file;
        EXPECT_NE(run.errors().find("Error: cannot play"), std::string::npos) << run.errors();
    }
}

TEST_F(EnginePlayback, AReaderThatStopsReadingDoesNotStallTheEngine) {
    testing_support::TempFolder work;
    EngineRun run;
    startPaused(run, work.path());
    // Far more answers than the output pipe holds, and nobody reads them.
    std::string burst;
    for (int i = 0; i < 6000; ++i) burst += "get_time_pos\n";
    ASSERT_TRUE(run.process().writeStdin(burst));
    // The engine still does what it is told...
    run.send("screenshot 0");
    bool written = false;
    for (int i = 0; i < 100 && !written; ++i) {
        std::this_thread::sleep_for(100ms);
        written = std::filesystem::exists(work.path() + "shot0001.png");
    }
    EXPECT_TRUE(written);
    // ...and ends on quit although its output is still not read.
    run.send("quit");
    EXPECT_TRUE(run.process().waitFor(8s).has_value());
}

TEST_F(EnginePlayback, UnknownOptionsAndCommandsOnlyWarn) {
    EngineRun run;
    auto args = programArgs(clip_);
    args.insert(args.begin() + 1, {"-fs", "-framedrop"});
    ASSERT_TRUE(run.start(args));
    ASSERT_TRUE(run.next("Starting playback", 10s));
    run.send("get_property volume");
    run.send("seek x 2");
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
    EXPECT_NE(run.errors().find("unknown option -fs"), std::string::npos) << run.errors();
    EXPECT_NE(run.errors().find("unknown command 'get_property'"), std::string::npos) << run.errors();
    EXPECT_NE(run.errors().find("bad arguments for 'seek'"), std::string::npos) << run.errors();
}

TEST_F(EnginePlayback, ListsAudioDevices) {
    EngineRun run;
    ASSERT_TRUE(run.start({"-list-audio-devices"}));
    EXPECT_EQ(run.finish(20s), 0);
    // libmpv's automatic choice always comes first: device 0 is the default.
    ASSERT_FALSE(run.lines().empty());
    EXPECT_EQ(run.lines().front(), "Autoselect device");
}

}  // namespace
