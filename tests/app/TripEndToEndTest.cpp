// A folder of two drives, front and rear, through the real program as a
// driver or an insurer reviews it: the whole trip on the map with its
// figures, a click on the route plays that moment of another clip, a click
// on the timeline strip seeks, other units show at once. Leaves pictures of
// the trip review in the screenshot folder.
#include "support/ClipFactory.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <QJsonArray>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;
constexpr int kTextsPerClip = 200;  // 20 s at ten texts a second
constexpr double kClipSeconds = kTextsPerClip / 10.0;

// Text i of a drive starting at hh:mm:00: the car heads due north, 0.05"
// of latitude (about 1.5 m) a text, so every fix has a place of its own;
// 40 to 59.8 knots.
std::string driveText(int hour, int minute, int i) {
    const int second = i / 10;
    char text[128];
    std::snprintf(text, sizeof text,
                  "2016-05-20 %02d:%02d:%02d/E113 56 12.34/N22 %02d %05.2f/%.1f/X:2000/Y:2000/Z:2333", hour,
                  minute + second / 60, second % 60, 33 + i / 1200, (i % 1200) * 0.05, 40.0 + (i % 100) * 0.2);
    return text;
}

// The latitude of text i of a drive, as the camera writes it.
double driveLatitude(int i) {
    return 22.0 + (33 + i / 1200) / 60.0 + (i % 1200) * 0.05 / 3600.0;
}

bool playing(const QJsonObject& d, const QString& name) {
    const QJsonArray r = rows(d);
    const int row = current(d);
    return state(d) == kPlaying && row >= 0 && row < r.size() && r[row].toObject()["name"].toString() == name;
}

class TripEndToEnd : public ProgramFixture {
protected:
    void makeFolder() {
        folder = home.path() + "DCIM/";
        std::filesystem::create_directories(folder);
        testing_support::ClipSpec spec;
        spec.durationSeconds = kClipSeconds;
        spec.withAudio = false;
        // Drive one 10:30 (three clips), drive two 11:30 (two), each from the front and the rear camera.
        for (const auto& [hour, clips] : {std::pair{10, 3}, std::pair{11, 2}}) {
            for (int c = 0; c < clips; ++c) {
                spec.trackTexts.clear();
                for (int i = 0; i < kTextsPerClip; ++i)
                    spec.trackTexts.push_back(driveText(hour, 30, c * kTextsPerClip + i));
                for (const char* channel : {"F", "R"}) {
                    char name[64];
                    std::snprintf(name, sizeof name, "2016_0520_%02d30%02d_%s.MP4", hour, c * 20, channel);
                    ASSERT_EQ(testing_support::makeClip(folder + name, spec), "") << name;
                }
            }
        }
    }
    std::string folder;
};

}  // namespace

TEST_F(TripEndToEnd, TheWholeDriveOnTheMapSeekingFromTheMapAndTheTimeline) {
    ASSERT_NO_FATAL_FAILURE(makeFolder());
    writeSettings();
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);

    // Dropping the first front clip: the three front clips of drive one are its trip, on the map and in figures.
    ASSERT_TRUE(driver.ask("drop " + folder + "2016_0520_103000_F.MP4")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            const QJsonObject trip = d["trip"].toObject();
            return playing(d, "2016_0520_103000_F.MP4") && trip["clips"].toArray().size() == 3 &&
                   trip["routePoints"].toInt() > 0 && d["timeline"].toObject()["points"].toInt() > 0;
        },
        30s))
        << text(dump);
    const QJsonObject trip = dump["trip"].toObject();
    EXPECT_EQ(trip["clips"].toArray(),
              (QJsonArray{"2016_0520_103000_F.MP4", "2016_0520_103020_F.MP4", "2016_0520_103040_F.MP4"}));
    // 599 steps of 0.05" of latitude: about 926 m in 59.9 s.
    EXPECT_NEAR(trip["distance_m"].toDouble(), 926.0, 10.0) << text(dump);
    EXPECT_NEAR(trip["duration_s"].toDouble(), 59.0, 1.0);
    EXPECT_NEAR(trip["maxSpeed_kmh"].toDouble(), 59.8 * 1.852, 0.01);  // the camera writes knots
    EXPECT_FALSE(trip["figures"].toString().isEmpty());
    capture("trip-review.png");

    // A click on the route where the third clip is 8 s in plays that clip
    // from there, not the rear camera's clip of the same place.
    char click[96];
    std::snprintf(click, sizeof click, "mapclick %.7f %.7f", driveLatitude(2 * kTextsPerClip + 80),
                  113.0 + 56.0 / 60.0 + 12.34 / 3600.0);
    ASSERT_TRUE(driver.ask(click)["ok"].toBool()) << click;
    // The seek follows the clip's start: wait for both.
    EXPECT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return playing(d, "2016_0520_103040_F.MP4") && std::abs(player(d)["position"].toInt() - 8) <= 1;
        },
        20s))
        << text(dump);

    // A click in the middle of the timeline strip seeks to the middle of the clip.
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["length"].toInt() > 0; }, 10s));
    const int length = player(dump)["length"].toInt();
    ASSERT_TRUE(driver.ask("timelineclick 0.5")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return std::abs(d["timeline"].toObject()["playhead_s"].toDouble() - length / 2.0) <= 1.0 &&
                   std::abs(player(d)["position"].toInt() - length / 2) <= 1;
        },
        5s))
        << text(dump);
    EXPECT_TRUE(playing(dump, "2016_0520_103040_F.MP4"));
    // Playback goes on from there.
    EXPECT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return d["sliders"].toObject()["sliderProgress"].toObject()["value"].toInt() > length / 2;
        },
        5s))
        << text(dump);

    // Imperial units from the settings window: the panel's speed in mph at once.
    ASSERT_TRUE(driver.ask("click btnSetting")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject&) { return true; }, 1s));
    ASSERT_TRUE(waitFor([&](const QJsonObject&) { return driver.ask("select UnitsCombo 1")["ok"].toBool(); }, 10s));
    ASSERT_TRUE(driver.ask("click OKButton")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return d["units"].toString() == "imperial" && label(d, "LabelSpeed").endsWith(" mph");
        },
        5s))
        << text(dump);
    // The next second shown: the window has been drawn again where the dialog was.
    const QString shownTime = label(dump, "labelPlayTime");
    waitFor([&](const QJsonObject& d) { return label(d, "labelPlayTime") != shownTime; }, 3s);
    capture("trip-review-imperial.png");
    quitCleanly();
}
