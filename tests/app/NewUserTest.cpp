// What a new user ran into, through the real program: a position of
// 0°0'0", stale marker and panel after Stop, keys acting twice while the map
// has the focus, drops that bring no clip, clips that cannot be played,
// settings that did not last, and files given on the command line (also when
// the player's services come up late).
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"
#include "support/ClipFactory.h"

#include <QJsonArray>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;

bool playingRow(const QJsonObject& d, int row) {
    return player(d)["state"].toInt() == kPlaying && d["playlist"].toObject()["current"].toInt() == row;
}

class NewUser : public ProgramFixture {
protected:
    // A clip whose kept texts 20 and 40 (player sampling keeps one in ten)
    // are at 0°0'0": the camera's "no fix".
    std::string makeClip(const std::string& name, double seconds) {
        const std::string path = folder() + name;
        testing_support::ClipSpec spec;
        const int texts = static_cast<int>(seconds * 10);
        spec.trackTexts = testing_support::cameraTrack(texts);
        for (int i : {20, 40}) {
            if (i < texts) spec.trackTexts[static_cast<size_t>(i)] = "2016-05-20 10:30:20/E0 00 00.00/N0 00 00.00/0.0/X:2000/Y:2000/Z:2333";
        }
        spec.durationSeconds = seconds;
        EXPECT_EQ(testing_support::makeClip(path, spec), "");
        return path;
    }
    std::string folder() const {
        std::filesystem::create_directories(home.path() + "DCIM");
        return home.path() + "DCIM/";
    }
    std::string settings() const {
        std::ifstream in(settingsPath());
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int snapshots() const {
        int count = 0;
        const std::string shots = home.path() + "Documents/Veltara DVR Player/";
        if (!std::filesystem::exists(shots)) return 0;
        for (const auto& entry : std::filesystem::directory_iterator(shots))
            count += entry.path().extension() == ".png" ? 1 : 0;
        return count;
    }
    bool loaded() {
        return waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s);
    }
    static int secondStart(const std::vector<std::string>& arguments) {
        platform::ChildProcess second;
        std::vector<std::string> argv{programPath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        if (second.start(argv, {.workingDirectory = {}, .mergeStderrIntoStdout = true}) != 0) return -1;
        Drain output(second.stdoutFd());
        return second.waitFor(15s).value_or(-1);
    }
};

}  // namespace

TEST_F(NewUser, DisplaysShowOnlyWhatIsPlayingNow) {
    const std::string clip = makeClip("2016_0520_1030_F.MP4", 12.0);
    writeSettings("SSPreview=0\n");
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(loaded()) << text(dump);
    ASSERT_TRUE(driver.ask("drop " + clip)["ok"].toBool());
    // 120 texts: 12 kept and the last once more, two of them without a fix.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return playingRow(d, 0) && map(d)["linePoints"].toInt() == 11; }, 30s))
        << text(dump);
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["marker"].isObject(); }, 20s)) << text(dump);
    const double latitude = map(dump)["marker"].toObject()["latitude"].toDouble();
    EXPECT_GT(latitude, 22.0);

    // A drop that brings no clip leaves the playing one alone.
    std::ofstream(folder() + "notes.txt") << "x";
    const qint64 pid = player(dump)["pid"].toInteger();
    ASSERT_TRUE(driver.ask("drop " + folder() + "notes.txt\t" + folder())["ok"].toBool());
    std::this_thread::sleep_for(1500ms);
    dump = driver.ask("dump");
    EXPECT_EQ(player(dump)["pid"].toInteger(), pid);
    EXPECT_GT(player(dump)["position"].toInt(), 0);

    // One F8 is one snapshot, also while the map has the keyboard.
    ASSERT_TRUE(driver.ask("focus WebMap")["ok"].toBool());
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(driver.ask("key F8")["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject&) { return snapshots() >= 1; }, 10s));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(snapshots(), 1);
    ASSERT_TRUE(driver.ask("click ShowPathOKButton")["ok"].toBool());

    // After Stop the page has no car and the panel no fix.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["visible"].toObject()["btnStop"].toBool(); }, 10s));
    ASSERT_TRUE(driver.ask("click btnStop")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == 0; }, 10s)) << text(dump);
    EXPECT_TRUE(map(dump)["marker"].isNull()) << text(dump);
    EXPECT_EQ(label(dump, "LabelPositionStatus"), "GPS status: No fix");
    EXPECT_EQ(label(dump, "LabelSpeed"), "Speed:");
    quitCleanly();
}

TEST_F(NewUser, ClipsThatCannotBePlayedAreMarkedAndSkipped) {
    std::ofstream(folder() + "2016_0520_1029_F.MP4");  // zero bytes
    const std::string good = makeClip("2016_0520_1030_F.MP4", 3.0);
    writeSettings("Language=german.ini\n");
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(driver.ask("drop " + folder() + "2016_0520_1029_F.MP4")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return playingRow(d, 1); }, 30s)) << text(dump);
    const QJsonObject empty = rows(dump)[0].toObject();
    EXPECT_EQ(empty["problem"].toString(), "empty");
    EXPECT_EQ(empty["toolTip"].toString(), QString::fromUtf8("2016_0520_1029_F.MP4\nDie Datei ist leer."));
    EXPECT_EQ(rows(dump)[1].toObject()["problem"].toString(), "");
    quitCleanly();
}

TEST_F(NewUser, VolumeWindowAndFolderLastAcrossStartsAndFilesOpenFromTheCommandLine) {
    const std::string first = makeClip("2016_0520_1030_F.MP4", 3.0);
    const std::string second = makeClip("2016_0520_1031_F.MP4", 3.0);
    writeSettings();
    // The player's services held back past the clip's start, as on a busy
    // machine: the clip still plays, without a Space.
    ::setenv("VELTARA_TEST_SERVICES_DELAY_MS", "3000", 1);
    const bool started = start({}, {first});
    ::unsetenv("VELTARA_TEST_SERVICES_DELAY_MS");
    ASSERT_TRUE(started) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return playingRow(d, 0) && player(d)["positionMs"].toInteger() > 0; },
                        30s)) << text(dump);

    // A second start without files changes nothing; with files it hands them over.
    EXPECT_EQ(secondStart({}), 1);
    EXPECT_EQ(secondStart({second}), 0);
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return playingRow(d, 1); }, 30s)) << text(dump);

    ASSERT_TRUE(driver.ask("slide sliderVolume 65")["ok"].toBool());
    ASSERT_TRUE(waitFor([this](const QJsonObject&) { return settings().find("Volume=65") != std::string::npos; }, 5s))
        << settings();
    const QJsonObject geometry = dump["geometry"].toObject();
    quitCleanly();
    const std::string kept = settings();
    EXPECT_NE(kept.find("WindowWidth=" + std::to_string(geometry["width"].toInt())), std::string::npos) << kept;
    EXPECT_NE(kept.find("LastFolder=" + folder()), std::string::npos) << kept;

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["sliders"].toObject()["sliderVolume"].toObject()["value"].toInt() == 65; }, 10s))
        << text(dump);
    EXPECT_EQ(dump["geometry"].toObject()["width"].toInt(), geometry["width"].toInt());
    EXPECT_EQ(dump["geometry"].toObject()["x"].toInt(), geometry["x"].toInt());
    quitCleanly();

    // A place off every screen is forgotten: the window comes up where it can be seen.
    std::string moved = settings();
    moved.replace(moved.find("WindowX="), std::string("WindowX=").size(), "WindowX=9000");
    std::ofstream(settingsPath()) << moved;
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["geometry"].toObject()["width"].toInt() > 0; }, 10s));
    EXPECT_LT(dump["geometry"].toObject()["x"].toInt(), 1280);
    quitCleanly();
}
