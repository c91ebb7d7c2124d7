// The installed program and its track tool against hostile files and a
// hostile neighbour: clips that are playlists, EDL or HLS lists, a FIFO, names
// and contents that look like protocol lines, settings that point elsewhere or
// never end, a lock path taken by something else, stale sockets, signals.
// Nothing may be fetched or opened besides the clip, nothing may hang, and
// nothing may be left running or lying in the runtime folder.
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"
#include "support/HostileFiles.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QJsonArray>
#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
using namespace program_harness;
namespace fs = std::filesystem;

namespace {


using Hostile = ProgramFixture;

}  // namespace

// A folder of hostile clips before a good one: each ends, the playlist moves
// on to the good clip, no network access is made and the file the lists name
// is never opened; texts planted in contents and names never reach the panel.
TEST_F(Hostile, ClipsThatAreListsOrFifosOpenNothingElseAndThePlaylistMovesOn) {
    writeSettings();
    hostile_files::Bait bait(home.path() + "elsewhere/");
    const std::string folder = home.path() + "clips/";
    const std::vector<std::string> names = hostile_files::writeHostileClips(folder, bait, "");
    const std::string good = folder + "z_good.mp4";
    ASSERT_EQ(hostile_files::writeGoodClip(good, 20.0), "");

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(driver.ask("drop " + folder + names.front())["ok"].toBool());
    const int goodRow = static_cast<int>(names.size());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return state(d) == 3 && current(d) == goodRow; }, 90s))
        << text(dump);
    EXPECT_EQ(dump["playlist"].toObject()["rows"].toArray().size(), goodRow + 1);
    for (const char* name : {"LabelSpeed", "LabelTime", "LabelPositionStatus"}) {
        EXPECT_FALSE(label(dump, name).contains("1850")) << text(dump);
        EXPECT_FALSE(label(dump, name).contains("2099")) << text(dump);
    }

    // Played by itself, a clip whose open blocks ends after the start limit,
    // and the clip a user plays next starts.
    ASSERT_TRUE(driver.ask("play " + folder + hostile_files::kFifoName)["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == 2; }, 5s)) << text(dump);
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == 0; }, 15s)) << text(dump);
    ASSERT_TRUE(driver.ask("play " + good)["ok"].toBool());
    EXPECT_TRUE(waitFor([&](const QJsonObject& d) { return state(d) == 3 && current(d) == goodRow; }, 20s))
        << text(dump);

    EXPECT_EQ(bait.connections(), 0);
    EXPECT_EQ(bait.opens(), 0);
    quitCleanly();
}

// Settings that name a language outside its folder, or a settings file that
// is a FIFO: the program starts at once with English texts and defaults,
// and the FIFO is left as it is.
TEST_F(Hostile, SettingsThatPointElsewhereOrNeverEndGiveDefaults) {
    writeSettings();
    std::ofstream(settingsPath(), std::ios::app) << "Language=../../../../../../dev/zero\n";
    ASSERT_TRUE(start()) << failure;
    EXPECT_TRUE(waitFor([](const QJsonObject& d) { return label(d, "LabelSpeed").startsWith("Speed:"); }, 10s))
        << text(dump);
    quitCleanly();

    fs::remove(settingsPath());
    ASSERT_EQ(::mkfifo(settingsPath().c_str(), 0600), 0);
    ASSERT_TRUE(start()) << failure;
    EXPECT_TRUE(waitFor([](const QJsonObject& d) { return !label(d, "LabelSpeed").isEmpty(); }, 10s)) << text(dump);
    quitCleanly();
    EXPECT_TRUE(fs::is_fifo(settingsPath()));
}

// A lock path that a folder, a link or a socket has taken: a clear message
// and exit 1, instead of a silent end.
TEST_F(Hostile, ALockPathTakenBySomethingElseIsSaid) {
    writeSettings();
    const std::string lock = runtime.path() + "OrselyZemtaMutex";
    for (const std::string kind : {"folder", "link", "socket"}) {
        SCOPED_TRACE(kind);
        fs::remove_all(lock);
        if (kind == "folder") fs::create_directory(lock);
        if (kind == "link") fs::create_symlink(home.path() + "target", lock);
        if (kind == "socket") {
            ASSERT_EQ(hostile_files::leaveSocketFile(lock), "");
        }
        platform::ChildProcess program;
        ASSERT_EQ(program.start({programPath()}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
        Drain output(program.stdoutFd());
        EXPECT_EQ(program.waitFor(20s), 1);
        EXPECT_NE(output.join().find("cannot use the lock file " + lock), std::string::npos) << output.join();
    }
}

// SIGINT, SIGTERM and SIGHUP end the program in order while it plays: no
// engine or converter left, no socket in the runtime folder. A socket file
// that a killed run left behind is gone after the next start, and a
// converter that has ended is never left as a zombie.
TEST_F(Hostile, SignalsEndThePlayingProgramInOrderAndStaleSocketsGo) {
    writeSettings();
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(hostile_files::writeGoodClip(clip, 30.0), "");
    const std::string stale = runtime.path() + "DVRFFMpegPipe." + std::to_string(hostile_files::goneProcessId()) + ".1";
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(hostile_files::leaveSocketFile(stale), "");
        ASSERT_TRUE(start()) << failure;
        ASSERT_TRUE(driver.ask("drop " + clip)["ok"].toBool());
        ASSERT_TRUE(waitFor(
            [](const QJsonObject& d) { return state(d) == 3 && d["track"].toObject()["readyPages"].toInt() > 0; }, 30s))
            << text(dump);
        std::this_thread::sleep_for(1500ms);  // the converter has long ended
        EXPECT_EQ(hostile_files::zombiesOf(pid()), "");
        EXPECT_FALSE(fs::exists(stale));

        ASSERT_EQ(::kill(pid(), signal), 0);
        const auto code = waitForExit(15s);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, 128 + signal);
        EXPECT_EQ(leftBehind(), "");
        EXPECT_EQ(hostile_files::socketsIn(runtime.path()), "");
    }
}

// veltara-track with a converter that never connects: it gives up the clip
// after its stall limit and says so; ended by a signal instead, it leaves no
// converter and no socket file behind.
// (Through the converter: the in-process reader has no converter to stall.)
TEST_F(Hostile, TheTrackToolGivesUpAStalledClipAndCleansUpOnSignals) {
    testing_support::TempFolder tool;
    ASSERT_EQ(hostile_files::toolWithHangingConverter(tool.path()), "");
    const std::string clip = home.path() + "clip.mp4";
    ASSERT_EQ(hostile_files::writeGoodClip(clip, 2.0), "");

    platform::ChildProcess stalled;
    ASSERT_EQ(
        stalled.start({tool.path() + "veltara-track", "--reader", "ffmpeg", clip},
                      {.workingDirectory = {}, .mergeStderrIntoStdout = true}),
        0);
    Drain stalledOutput(stalled.stdoutFd());
    EXPECT_EQ(stalled.waitFor(30s), 1);
    EXPECT_NE(stalledOutput.join().find("gave no data for 10 s"), std::string::npos) << stalledOutput.join();
    EXPECT_EQ(leftBehind(), "");
    EXPECT_EQ(hostile_files::socketsIn(runtime.path()), "");

    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        platform::ChildProcess run;
        ASSERT_EQ(
            run.start({tool.path() + "veltara-track", "--reader", "ffmpeg", clip},
                      {.workingDirectory = {}, .mergeStderrIntoStdout = true}),
            0);
        Drain output(run.stdoutFd());
        std::this_thread::sleep_for(1s);
        ASSERT_EQ(::kill(run.pid(), signal), 0);
        EXPECT_EQ(run.waitFor(5s), 128 + signal);
        EXPECT_EQ(leftBehind(), "") << output.join();
        EXPECT_EQ(hostile_files::socketsIn(runtime.path()), "");
    }
}
