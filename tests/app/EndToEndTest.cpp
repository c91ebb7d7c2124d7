// The whole road of a folder of clips through the real program, engine,
// FFmpeg and web view, as a user drives it: a clip with its track, one whose
// track holds broken texts among good ones, and one without a track. Leaves
// pictures of three moments in the screenshot folder.
#include "support/ClipFactory.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <unistd.h>
#include <QJsonArray>
#include <filesystem>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kIdle = 0;
constexpr int kPlaying = 3;
constexpr int kPaused = 4;

bool chartHas(const QJsonObject& d, int points) {
    const QJsonObject c = chart(d);
    return c["X"].toInt() == points && c["Y"].toInt() == points && c["Z"].toInt() == points;
}
bool playingRow(const QJsonObject& d, int row) {
    return player(d)["state"].toInt() == kPlaying && d["playlist"].toObject()["current"].toInt() == row;
}

// Player sampling keeps texts 0, 10, 20, ... and the last text once more.
int keptRecords(int texts) {
    return (texts + 9) / 10 + 1;
}

class EndToEnd : public ProgramFixture {
protected:
    void makeFolder() {
        folder = home.path() + "DCIM/";
        std::filesystem::create_directories(folder);
        testing_support::ClipSpec spec;
        spec.width = 640;
        spec.height = 360;
        spec.withAudio = true;

        spec.trackTexts = testing_support::cameraTrack(kFirstTexts);
        spec.durationSeconds = kFirstTexts / 10.0;
        ASSERT_EQ(testing_support::makeClip(folder + names[0], spec), "");

        // Kept texts 10 and 30 are broken, as are some that are not kept.
        spec.trackTexts = testing_support::cameraTrack(kSecondTexts);
        spec.trackTexts[10] = "2016-05-20 10:30:10/GPS signal lost";
        spec.trackTexts[30] = "V";
        spec.trackTexts[15] = "##########################";
        spec.trackTexts[31] = "2016-05-20 10:30:31/E113 56 12.00/N22 33 4x.00/30.0/X:2000/Y:2000/Z:2333";
        spec.durationSeconds = kSecondTexts / 10.0;
        ASSERT_EQ(testing_support::makeClip(folder + names[1], spec), "");

        spec.withSubtitle = false;
        spec.durationSeconds = 4.0;
        ASSERT_EQ(testing_support::makeClip(folder + names[2], spec), "");
    }

    static constexpr int kFirstTexts = 220;
    static constexpr int kSecondTexts = 60;
    const std::vector<std::string> names{"2016_0520_1030_F.MP4", "2016_0520_1031_F.MP4", "2016_0520_1032_F.MP4"};
    std::string folder;
};

TEST_F(EndToEnd, AFolderOfClipsPlaysWithTrackMapChartAndEveryControl) {
    ASSERT_NO_FATAL_FAILURE(makeFolder());
    writeSettings("SSPreview=1\n");
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);

    // Dropping the first clip plays it, with the folder in the playlist.
    EXPECT_TRUE(driver.ask("drop " + folder + names[0])["ok"].toBool());
    const int firstPoints = keptRecords(kFirstTexts);
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return playingRow(d, 0) && map(d)["linePoints"].toInt() == firstPoints && chartHas(d, firstPoints) &&
                   map(d)["marker"].isObject() && label(d, "LabelPositionStatus") == "GPS status: Valid fix";
        },
        30s))
        << text(dump);
    EXPECT_EQ(dump["playlist"].toObject()["rows"].toArray().size(), 3);
    EXPECT_TRUE(label(dump, "LabelTime").startsWith("Date/time: 2016-05-20 10:3")) << text(dump);
    EXPECT_TRUE(label(dump, "LabelSpeed").endsWith("km/h")) << text(dump);
    EXPECT_TRUE(shown(dump, "btnPause"));
    EXPECT_EQ(dump["sliders"].toObject()["sliderProgress"].toObject()["max"].toInt(), kFirstTexts / 10);

    // Meanwhile the playlist's clips are read: the two with a track form one
    // trip, the third says why it has none.
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            const QJsonObject r = d["reading"].toObject();
            return r["total"].toInt() == 3 && r["done"].toInt() == 3 && d["trip"].isObject() &&
                   d["trip"].toObject()["clips"].toArray().size() == 2;
        },
        10s))
        << text(dump);
    const QJsonObject trip = dump["trip"].toObject();
    EXPECT_GT(trip["distance_m"].toDouble(), 0.0);
    EXPECT_TRUE(trip["figures"].toString().startsWith("2016-05-20, 10:30")) << text(dump);
    EXPECT_TRUE(rows(dump)[0].toObject()["trackDetails"].toString().contains("Recorded 2016-05-20 10:30:00"));
    EXPECT_TRUE(rows(dump)[2].toObject()["trackDetails"].toString().contains("No GPS data found")) << text(dump);

    // The play time counts and the marker follows the clip.
    const QString playTime = label(dump, "labelPlayTime");
    const QJsonValue marker = map(dump)["marker"];
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return label(d, "labelPlayTime") != playTime && map(d)["marker"].isObject() && map(d)["marker"] != marker;
        },
        5s))
        << text(dump);
    capture("road-first-clip.png");

    // Pause holds the time; Play goes on.
    EXPECT_TRUE(driver.ask("click btnPause")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kPaused; }, 5s));
    EXPECT_TRUE(shown(dump, "btnPlay"));
    std::this_thread::sleep_for(1200ms);
    const QString pausedTime = label(driver.ask("dump"), "labelPlayTime");
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(label(driver.ask("dump"), "labelPlayTime"), pausedTime);
    EXPECT_TRUE(driver.ask("click btnPlay")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kPlaying; }, 5s));

    // Mute shows 0 on the volume slider, unmute the volume again.
    EXPECT_TRUE(driver.ask("click btnVolume")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return shown(d, "btnMute") && d["sliders"].toObject()["sliderVolume"].toObject()["value"].toInt() == 0;
        },
        5s))
        << text(dump);
    EXPECT_TRUE(driver.ask("click btnMute")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return shown(d, "btnVolume") && d["sliders"].toObject()["sliderVolume"].toObject()["value"].toInt() == 40;
        },
        5s))
        << text(dump);

    // F8: a snapshot in the user's folder, shown in the preview until closed.
    const std::string shot = home.path() + "Documents/Veltara DVR Player/shot0001.png";
    EXPECT_TRUE(driver.ask("key F8")["ok"].toBool());
    EXPECT_TRUE(driver.askUntilDone("click closebtn", 10s)) << "no snapshot preview";
    EXPECT_EQ(::access(shot.c_str(), R_OK), 0) << shot;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kPlaying; }, 5s)) << text(dump);

    // Full screen leaves video and play panel; Escape brings the rest back.
    // The playlist row that has the focus is not started again by the key.
    const qint64 playerPid = player(dump)["pid"].toInteger();
    EXPECT_TRUE(driver.ask("key Return")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["fullscreen"].toBool(); }, 5s));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(player(driver.ask("dump"))["pid"].toInteger(), playerPid);
    capture("road-full-screen.png");
    EXPECT_TRUE(driver.ask("key Escape")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return !d["fullscreen"].toBool(); }, 5s));

    // A seek near the end moves time and marker there.
    const int seekTo = kFirstTexts / 10 - 3;
    EXPECT_TRUE(driver.ask("slide sliderProgress " + std::to_string(seekTo))["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return player(d)["position"].toInt() >= seekTo; }, 5s))
        << text(dump);
    // The panel follows: texts count seconds from 10:30:00, ten a second of clip.
    EXPECT_TRUE(waitFor(
        [](const QJsonObject& d) { return label(d, "LabelTime").startsWith("Date/time: 2016-05-20 10:33:"); }, 5s))
        << text(dump);

    // The second clip: its own track only, broken texts left out.
    const int secondPoints = keptRecords(kSecondTexts) - 2;
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return playingRow(d, 1) && map(d)["linePoints"].toInt() == secondPoints && chartHas(d, secondPoints);
        },
        15s))
        << text(dump);
    // Past the broken kept text at 3 s: the line and the chart keep the good ones.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["position"].toInt() >= 4; }, 10s));
    EXPECT_EQ(map(dump)["linePoints"].toInt(), secondPoints);
    EXPECT_TRUE(chartHas(dump, secondPoints)) << text(dump);

    // The third clip has no track: no fix, no line, no chart, no marker.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return playingRow(d, 2); }, 15s)) << text(dump);
    std::this_thread::sleep_for(1500ms);
    dump = driver.ask("dump");
    EXPECT_EQ(label(dump, "LabelPositionStatus"), "GPS status: No fix");
    EXPECT_EQ(map(dump)["linePoints"].toInt(), 0);
    EXPECT_TRUE(map(dump)["marker"].isNull());
    EXPECT_TRUE(chartHas(dump, 0)) << text(dump);
    EXPECT_EQ(dump["track"].toObject()["readyPages"].toInt(), 0);
    capture("road-no-track.png");

    // After the last clip the player stops with Play shown.
    ASSERT_TRUE(
        waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kIdle && shown(d, "btnPlay"); }, 15s))
        << text(dump);
    EXPECT_FALSE(shown(dump, "btnPause"));
    quitCleanly();
}

}  // namespace
