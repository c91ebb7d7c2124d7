// The program itself in a real X server (Xvfb): it opens its window, refuses
// a second instance, takes commands through the test driver, plays a clip
// with its track on the map and the chart and, told to quit, closes with
// nothing left behind: no process, no socket.
#include "support/ProgramHarness.h"
#include "support/ClipFactory.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <filesystem>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {
using Program = ProgramFixture;
}  // namespace

TEST_F(Program, OpensItsWindowRunsAloneAndQuitsLeavingNothingBehind) {
    ASSERT_TRUE(start()) << failure;
    struct stat info {};
    ASSERT_EQ(::stat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    dump = driver.ask("dump");
    EXPECT_EQ(dump["title"].toString(), "Veltara DVR Player");
    EXPECT_EQ(dump["labels"].toObject()["LabelSpeed"].toString(), "Speed: 0 km/h");
    EXPECT_NE(windowTree().find("\"Veltara DVR Player\""), std::string::npos);
    // The first start copied the default configuration into the documents folder.
    EXPECT_EQ(::access(settingsPath().c_str(), R_OK), 0);

    {
        platform::ChildProcess second;
        ASSERT_EQ(second.start({programPath()}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
        Drain secondOutput(second.stdoutFd());
        EXPECT_EQ(second.waitFor(15s), 1);
    }

    // Every press counts, however Qt places the key events in memory.
    for (const bool fullScreen : {true, false, true, false}) {
        EXPECT_TRUE(driver.ask(fullScreen ? "key Return" : "key Escape")["ok"].toBool());
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(driver.ask("dump")["fullscreen"].toBool(), fullScreen);
    }

    EXPECT_TRUE(driver.ask("click btnSetting")["ok"].toBool());
    EXPECT_TRUE(driver.ask("key F8")["ok"].toBool());
    dump = driver.ask("dump");
    EXPECT_EQ(dump["player"].toObject()["state"].toInt(), 0);
    EXPECT_EQ(dump["title"].toString(), "Veltara DVR Player");

    quitCleanly();
}

// A clip played in the real program: the track line and the car marker on
// the map page, every valid record charted, the panel with a fix. Leaves a
// screenshot of the window for people to look at.
TEST_F(Program, PlaysAClipWithItsTrackOnTheMapAndTheChart) {
    writeSettings();
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(700);
    spec.durationSeconds = 70.0;
    spec.width = 640;
    spec.height = 360;
    spec.withAudio = false;
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");

    ASSERT_TRUE(start()) << failure;
    auto map = [&] { return dump["map"].toObject(); };
    // Points drawn before the page is ready would be lost.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["map"].toObject()["loaded"].toBool(); }, 30s));
    EXPECT_EQ(map()["page"].toString(), "GoogleMap_Oversea.html");

    EXPECT_TRUE(driver.ask("play " + clip)["ok"].toBool());
    // 70 kept texts (one in ten) and the last once more: two pages.
    const bool playing = waitFor(
        [](const QJsonObject& d) {
            return d["player"].toObject()["state"].toInt() == 3 && d["track"].toObject()["shownPages"].toInt() == 2 &&
                   d["map"].toObject()["marker"].isObject() &&
                   d["labels"].toObject()["LabelPositionStatus"].toString() == "GPS status: Valid fix";
        },
        30s);
    ASSERT_TRUE(playing) << text(dump);
    EXPECT_EQ(map()["linePoints"].toInt(), 71);
    const QJsonObject chart = dump["chart"].toObject();
    EXPECT_EQ(chart["X"].toInt(), 71);
    EXPECT_EQ(chart["Y"].toInt(), 71);
    EXPECT_EQ(chart["Z"].toInt(), 71);
    EXPECT_EQ(dump["sliders"].toObject()["sliderProgress"].toObject()["max"].toInt(), 70);
    EXPECT_TRUE(dump["visible"].toObject()["btnPause"].toBool());

    // A few seconds in: video, panel and marker have moved on.
    std::this_thread::sleep_for(3s);
    capture("playing.png");
    quitCleanly();  // no player, no converter left
}

// A folder of three short clips: dropping the first plays it, each end
// starts the next, deleting the playing row starts the new current one, and
// the end of the last stops with Play shown.
TEST_F(Program, PlaysThroughThePlaylistOfADroppedClipsFolder) {
    writeSettings();
    const std::string folder = home.path() + "clips/";
    std::filesystem::create_directories(folder);
    const QStringList names{"2016_0520_1030_F.MP4", "2016_0520_1031_F.MP4", "2016_0520_1032_F.MP4"};
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(30);
    spec.durationSeconds = 3.0;
    spec.withAudio = false;
    for (const QString& name : names) ASSERT_EQ(testing_support::makeClip(folder + name.toStdString(), spec), "");

    ASSERT_TRUE(start()) << failure;
    auto playing = [](const QJsonObject& d, int current, int rows) {
        const QJsonObject list = d["playlist"].toObject();
        return d["player"].toObject()["state"].toInt() == 3 && list["current"].toInt() == current &&
               list["rows"].toArray().size() == rows;
    };

    EXPECT_TRUE(driver.ask("drop " + folder + names[0].toStdString())["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return playing(d, 0, 3); }, 20s)) << text(dump);
    const QJsonArray rows = dump["playlist"].toObject()["rows"].toArray();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rows[i].toObject()["name"].toString(), names[i]);

    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return playing(d, 1, 3); }, 15s)) << text(dump);
    const qint64 secondPlayer = dump["player"].toObject()["pid"].toInteger();

    // The playing row goes: the row after it, now at its place, plays.
    EXPECT_TRUE(driver.ask("delete 1")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return playing(d, 1, 2) && d["player"].toObject()["pid"].toInteger() != secondPlayer;
        },
        15s))
        << text(dump);
    EXPECT_EQ(dump["playlist"].toObject()["rows"].toArray()[1].toObject()["name"].toString(), names[2]);

    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return d["player"].toObject()["state"].toInt() == 0 && d["visible"].toObject()["btnPlay"].toBool();
        },
        15s))
        << text(dump);
    EXPECT_FALSE(dump["visible"].toObject()["btnPause"].toBool());
    EXPECT_EQ(dump["playlist"].toObject()["current"].toInt(), 1);

    quitCleanly();
}
