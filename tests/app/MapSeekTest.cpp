// Seeking from the map through the real program: a drive of three clips is
// read into one trip and drawn on the map; a click on the map at a moment of
// the third clip plays that clip from that moment; a click far from the
// route changes nothing. Leaves a picture of the trip view (trip-view.png).
#include "support/ClipFactory.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <QJsonArray>
#include <cstdio>
#include <filesystem>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;
constexpr int kClipSeconds = 10;

// Second s of the drive: a text a second, a fix about 31 m north of the last.
std::string textAt(int s) {
    char text[128];
    std::snprintf(text, sizeof text, "2016-05-20 10:30:%02d/E113 56 12.34/N22 33 %05.2f/%.1f/X:2000/Y:2000/Z:2333", s,
                  10.0 + s, 40.0 + s);
    return text;
}

double latitudeAt(int s) {
    return 22.0 + 33.0 / 60.0 + (10.0 + s) / 3600.0;
}
constexpr double kLongitude = 113.0 + 56.0 / 60.0 + 12.34 / 3600.0;

class MapSeek : public ProgramFixture {};

TEST_F(MapSeek, AClickOnTheTripPlaysThatMomentOfItsClip) {
    const std::string folder = home.path() + "DCIM/";
    std::filesystem::create_directories(folder);
    const std::vector<std::string> names{"2016_0520_103000_F.MP4", "2016_0520_103010_F.MP4",
                                         "2016_0520_103020_F.MP4"};
    for (int k = 0; k < 3; ++k) {
        testing_support::ClipSpec spec;
        for (int s = 0; s < kClipSeconds; ++s) spec.trackTexts.push_back(textAt(k * kClipSeconds + s));
        spec.cueSeconds = 1.0;
        spec.durationSeconds = kClipSeconds;
        ASSERT_EQ(testing_support::makeClip(folder + names[k], spec), "");
    }
    writeSettings();
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);

    EXPECT_TRUE(driver.ask("drop " + folder + names[0])["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            const QJsonObject trip = d["trip"].toObject();
            return trip["clips"].toArray().size() == 3 && trip["routePoints"].toInt() > 0 &&
                   d["playlist"].toObject()["current"].toInt() == 0;
        },
        15s))
        << text(dump);
    capture("trip-view.png");

    // Far from the route: nothing changes.
    EXPECT_TRUE(driver.ask("mapclick 23.5 " + std::to_string(kLongitude))["ok"].toBool());
    EXPECT_FALSE(driver.ask("mapclick 95 10")["ok"].toBool());
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(driver.ask("dump")["playlist"].toObject()["current"].toInt(), 0);

    // Second 7 of the third clip.
    char position[64];
    std::snprintf(position, sizeof position, "mapclick %.7f %.7f", latitudeAt(2 * kClipSeconds + 7), kLongitude);
    EXPECT_TRUE(driver.ask(position)["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return d["playlist"].toObject()["current"].toInt() == 2 && player(d)["state"].toInt() == kPlaying &&
                   player(d)["position"].toInt() >= 6;
        },
        15s))
        << text(dump);
    EXPECT_LE(player(dump)["position"].toInt(), 9) << text(dump);
    quitCleanly();
}

}  // namespace
