// The running program against faults and bad input: its engine killed, its
// converter missing, clips it cannot play, a configuration it cannot write
// or cannot read, language texts that look like markup, and no test driver
// asked for. Each time the window stays usable and nothing is lost or left.
#include "support/DumpFields.h"
#include "support/HostileFiles.h"
#include "support/ProgramHarness.h"
#include "support/ClipFactory.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QJsonArray>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

using namespace std::chrono_literals;
using namespace program_harness;
namespace fs = std::filesystem;

namespace {


std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

using hostile_files::noise;

testing_support::ClipSpec trackedClip(double seconds) {
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(static_cast<int>(seconds * 10));
    spec.durationSeconds = seconds;
    spec.withAudio = false;
    return spec;
}

// The built program folder copied to `to`, except the entries `skip` names
// (paths relative to the folder). Links stay links.
void copyProgramFolder(const std::string& to, const std::vector<std::string>& skip = {}) {
    const fs::path from = fs::path(programPath()).parent_path();
    for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path relative = it->path().lexically_relative(from);
        if (std::find(skip.begin(), skip.end(), relative.string()) != skip.end()) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        const fs::path target = fs::path(to) / relative;
        if (it->is_symlink()) {
            fs::copy_symlink(it->path(), target);
        } else if (it->is_directory()) {
            fs::create_directories(target);
        } else {
            fs::copy_file(it->path(), target);
        }
    }
}

class ProgramFault : public ProgramFixture {
protected:
    // Repeats a command the event loop may not be ready for yet (a control
    // of a dialog that is still opening) until it is taken.
    bool askUntilOk(const std::string& command, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            if (driver.ask(command)["ok"].toBool()) return true;
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

    // The settings window: picks a language (its row) and confirms.
    void chooseLanguage(int row) {
        ASSERT_TRUE(driver.ask("click btnSetting")["ok"].toBool());
        ASSERT_TRUE(askUntilOk("select LanguangeCombo " + std::to_string(row)));
        ASSERT_TRUE(driver.ask("click OKButton")["ok"].toBool());
    }

    bool speaks(const QString& speedLabel) {
        return waitFor([&](const QJsonObject& d) { return label(d, "LabelSpeed").startsWith(speedLabel); }, 10s);
    }
};

const QString kRussianSpeed = QString::fromUtf8("Скорость:");
const QString kEnglishSpeed = QStringLiteral("Speed:");
constexpr int kRussianRow = 1;
constexpr int kEnglishRow = 2;

}  // namespace

// The engine dies under the window: the views reset as for any player
// failure, Play is offered again and starts the clip with a new engine.
TEST_F(ProgramFault, AKilledEngineLeavesAUsableWindowThatPlaysAgain) {
    writeSettings();
    const std::string folder = home.path() + "clips/";
    fs::create_directories(folder);
    for (const char* name : {"2016_0520_1030_F.MP4", "2016_0520_1031_F.MP4"})
        ASSERT_EQ(testing_support::makeClip(folder + name, trackedClip(30.0)), "");

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(driver.ask("drop " + folder + "2016_0520_1030_F.MP4")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return state(d) == 3 && d["map"].toObject()["marker"].isObject() && !chartEmpty(d) &&
                   d["track"].toObject()["readyPages"].toInt() > 0;
        },
        30s))
        << text(dump);
    const qint64 killed = playerPid(dump);
    ASSERT_GT(killed, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(killed), SIGKILL), 0);

    // The engine goes idle on its reader thread before the window hears of
    // the failure, so wait for the window's reset, not the engine's state.
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) { return state(d) == 0 && playerPid(d) == 0 && shown(d, "btnPlay"); }, 10s))
        << text(dump);
    EXPECT_TRUE(shown(dump, "btnPlay")) << text(dump);
    EXPECT_FALSE(shown(dump, "btnPause"));
    EXPECT_TRUE(dump["map"].toObject()["marker"].isNull());
    EXPECT_TRUE(chartEmpty(dump)) << text(dump);
    EXPECT_EQ(dump["track"].toObject()["readyPages"].toInt(), 0);
    EXPECT_EQ(label(dump, "labelPlayTime"), "00:00:00/00:00:00");
    EXPECT_EQ(current(dump), 0);

    ASSERT_TRUE(driver.ask("click btnPlay")["ok"].toBool()) << text(driver.ask("dump"));
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return state(d) == 3 && playerPid(d) != 0 && playerPid(d) != killed && current(d) == 0 &&
                   d["track"].toObject()["shownPages"].toInt() > 0;
        },
        30s))
        << text(dump);
    quitCleanly();
}

// Without FFmpeg beside it the program plays clips without their track,
// and neither a clip's end nor quitting waits for the missing converter.
TEST_F(ProgramFault, WithoutFFmpegClipsPlayWithoutTheirTrack) {
    writeSettings();
    testing_support::TempFolder copy;
    copyProgramFolder(copy.path(), {"FFMpeg"});
    ASSERT_FALSE(fs::exists(copy.path() + "FFMpeg/ffmpeg"));
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, trackedClip(6.0)), "");

    ASSERT_TRUE(start(copy.path() + "veltara-dvr-player")) << failure;
    ASSERT_TRUE(driver.ask("drop " + clip)["ok"].toBool());
    // The live position comes from the player; a track would have followed it by now.
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return state(d) == 3 && label(d, "LabelPositionStatus") == "GPS status: Valid fix";
        },
        20s))
        << text(dump);
    std::this_thread::sleep_for(1s);
    dump = driver.ask("dump");
    EXPECT_EQ(state(dump), 3);
    EXPECT_EQ(dump["track"].toObject()["readyPages"].toInt(), 0);
    EXPECT_EQ(dump["map"].toObject()["linePoints"].toInt(), 0);
    EXPECT_TRUE(chartEmpty(dump)) << text(dump);
    // The end of the clip is not held up by the missing converter.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == 0 && shown(d, "btnPlay"); }, 15s)) << text(dump);
    EXPECT_EQ(dump["map"].toObject()["linePoints"].toInt(), 0);
    quitCleanly();
}

// Clips that cannot be played (empty, noise, cut short, sound only, or
// gone) end at once: the playlist moves on to the clip that plays, and each
// played on its own leaves the player idle with Play shown.
TEST_F(ProgramFault, UnplayableClipsEndAndThePlaylistMovesOn) {
    writeSettings();
    const std::string folder = home.path() + "bad/";
    fs::create_directories(folder);
    const std::string good = folder + "5_good.mp4";
    ASSERT_EQ(testing_support::makeClip(good, trackedClip(20.0)), "");
    writeBytes(folder + "1_empty.mp4", "");
    writeBytes(folder + "2_noise.mp4", noise(64 * 1024, 7));
    const std::string whole = readBytes(good);
    writeBytes(folder + "3_cut.mp4", whole.substr(0, whole.size() / 2));
    testing_support::ClipSpec soundOnly = trackedClip(2.0);
    soundOnly.withVideo = false;
    soundOnly.withAudio = true;
    ASSERT_EQ(testing_support::makeClip(folder + "4_sound.mp4", soundOnly), "");

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(driver.ask("drop " + folder + "1_empty.mp4")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == 3 && current(d) == 4; }, 60s)) << text(dump);
    EXPECT_EQ(dump["playlist"].toObject()["rows"].toArray().size(), 5);

    // Played by name with the last row current: nothing follows them.
    for (const std::string name : {"1_empty.mp4", "2_noise.mp4", "3_cut.mp4", "4_sound.mp4", "missing.mp4"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(driver.ask("play " + folder + name)["ok"].toBool());
        EXPECT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == 0 && shown(d, "btnPlay"); }, 20s))
            << text(dump);
    }
    // The good clip still plays after them.
    ASSERT_TRUE(driver.ask("play " + good)["ok"].toBool());
    EXPECT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == 3; }, 20s)) << text(dump);
    quitCleanly();
}

// A configuration the program may not write: a settings change holds for
// the session and the file stays as it was. The program runs without the
// root powers that would ignore the permission bits.
TEST_F(ProgramFault, ASettingsChangeThatCannotBeSavedHoldsForTheSessionAndLeavesTheFile) {
    writeSettings();
    testing_support::TempFolder launcherFolder;
    std::string program = programPath();
    if (::geteuid() == 0) {
        if (::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "root without setpriv: permissions do not apply";
        // Dropping from the bounding set needs a power a container may not grant.
        if (std::system("/usr/bin/setpriv --bounding-set -dac_override,-dac_read_search,-fowner -- /bin/true") != 0)
            GTEST_SKIP() << "setpriv cannot drop the powers here: permissions do not apply";
        program = launcherFolder.write("launch",
                                       "#!/bin/sh\nexec /usr/bin/setpriv --bounding-set "
                                       "-dac_override,-dac_read_search,-fowner -- '" +
                                           programPath() + "'\n");
        ::chmod(program.c_str(), 0700);
    }
    ASSERT_TRUE(start(program)) << failure;
    {
        std::ifstream status("/proc/" + std::to_string(pid()) + "/status");
        std::string line;
        uint64_t effective = ~0ull;
        while (std::getline(status, line))
            if (line.rfind("CapEff:", 0) == 0) effective = std::stoull(line.substr(7), nullptr, 16);
        if (effective & 0xE) {  // CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER
            quitCleanly();
            GTEST_SKIP() << "the program kept the powers that override permissions";
        }
    }
    const std::string conf = fs::path(settingsPath()).parent_path().string();
    const std::string before = readBytes(settingsPath());
    ASSERT_TRUE(speaks(kEnglishSpeed)) << text(dump);

    ::chmod(conf.c_str(), 0555);
    chooseLanguage(kRussianRow);
    EXPECT_TRUE(speaks(kRussianSpeed)) << text(dump);
    EXPECT_EQ(readBytes(settingsPath()), before);

    // A writable folder but a read-only file: not replaced either.
    ::chmod(conf.c_str(), 0755);
    ::chmod(settingsPath().c_str(), 0444);
    const std::string locked = readBytes(settingsPath());
    chooseLanguage(kEnglishRow);
    EXPECT_TRUE(speaks(kEnglishSpeed)) << text(dump);
    EXPECT_EQ(readBytes(settingsPath()), locked);
    ::chmod(settingsPath().c_str(), 0644);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(conf)) ++files;
    EXPECT_EQ(files, 1) << "a temporary file was left";
    quitCleanly();
}

// A configuration file overwritten with binary bytes while the program
// runs: a settings change holds, and the write keeps those bytes and adds
// its own line rather than emptying the file.
TEST_F(ProgramFault, ASettingsChangeOverAGarbledFileKeepsItsBytes) {
    writeSettings();
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(speaks(kEnglishSpeed)) << text(dump);
    const std::string garbage = noise(4096, 11);
    writeBytes(settingsPath(), garbage);

    chooseLanguage(kRussianRow);
    EXPECT_TRUE(speaks(kRussianSpeed)) << text(dump);
    const std::string after = readBytes(settingsPath());
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_NE(after.find("Language=russian.ini"), std::string::npos);
    quitCleanly();
}

// Language texts that look like markup or formats show as they are written,
// alone and joined with a record's values.
TEST_F(ProgramFault, MarkupInLanguageTextsShowsAsWritten) {
    writeSettings();
    testing_support::TempFolder copy;
    copyProgramFolder(copy.path());
    const std::string language = copy.path() + "conf/sysconfig/english.ini";
    // Written only inside the copy, never through a link into the build.
    ASSERT_EQ(fs::canonical(language).string(), fs::path(language).lexically_normal().string());
    writeBytes(language,
               "[Main_Interface]\n"
               "IDS_TITLE=<b>Veltara</b> <img src=x>\n"
               "IDS_PLAYLIST=<i>Playlist</i>&amp;\n"
               "IDS_STATUS=<font color=red>GPS</font> %s%n:\n"
               "IDS_GPS=<u>fix</u>\n"
               "IDS_NOGPS=<u>none</u>\n"
               "IDS_TIME=<br>Time:\n"
               "IDS_SPEED=<b>Speed</b>: %d km/h\n"
               "IDS_LAT=<a href=\"x\">Lat</a>:\n"
               "IDS_LNG=&lt;Lng&gt;:\n");
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, trackedClip(20.0)), "");

    ASSERT_TRUE(start(copy.path() + "veltara-dvr-player")) << failure;
    dump = driver.ask("dump");
    EXPECT_EQ(label(dump, "TitleLabel"), "<b>Veltara</b> <img src=x>");
    EXPECT_EQ(label(dump, "playlistHeader"), "<i>Playlist</i>&amp;");
    EXPECT_EQ(label(dump, "LabelSpeed"), "<b>Speed</b>: %d km/h 0 km/h");
    EXPECT_EQ(label(dump, "LabelLongitude"), "&lt;Lng&gt;:");

    ASSERT_TRUE(driver.ask("play " + clip)["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return label(d, "LabelPositionStatus") == "<font color=red>GPS</font> %s%n: <u>fix</u>";
        },
        20s))
        << text(dump);
    EXPECT_TRUE(label(dump, "LabelSpeed").startsWith("<b>Speed</b>: %d km/h ")) << text(dump);
    EXPECT_TRUE(label(dump, "LabelSpeed").endsWith(" km/h")) << text(dump);
    EXPECT_TRUE(label(dump, "LabelLatitude").startsWith("<a href=\"x\">Lat</a>: N ")) << text(dump);
    EXPECT_TRUE(label(dump, "LabelTime").startsWith("<br>Time: 20")) << text(dump);
    capture("markup-texts.png");
    quitCleanly();
}

// Without the variable the program offers no driver: no socket in its
// runtime folder but the hand-over one, and a terminated program leaves
// nothing behind.
TEST_F(ProgramFault, WithoutTheVariableThereIsNoDriverSocket) {
    writeSettings();
    ::unsetenv("VELTARA_TEST_DRIVER");
    platform::ChildProcess program;
    ASSERT_EQ(program.start({programPath()}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
    Drain output(program.stdoutFd());
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (windowId("Veltara DVR Player").empty() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(200ms);
    ASSERT_FALSE(windowId("Veltara DVR Player").empty());
    std::this_thread::sleep_for(1s);  // the window is up: a driver would be listening by now

    auto sockets = [&] {
        std::string found;
        for (const auto& entry : fs::recursive_directory_iterator(runtime.path()))
            if (entry.is_socket()) found += entry.path().string() + "\n";
        return found;
    };
    // Only the hand-over socket for a second start's files.
    EXPECT_EQ(sockets(), runtime.path() + "OrselyZemtaOpen\n");
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    EXPECT_TRUE(program.waitFor(15s).has_value());
    EXPECT_EQ(leftBehind(), "") << output.join();
    EXPECT_EQ(sockets(), "");
}
