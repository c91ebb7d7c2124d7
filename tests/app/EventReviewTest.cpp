// Reviewing an incident through the real program: a clip with a braking
// from 80 to 10 km/h between 28.5 and 31.5 s and a 2.5 G bump at 45 s lists
// both events; N from the start plays from 5 s before the braking, N again
// from 5 s before the bump, Shift+N back, and a pick in the event list plays
// that event. The map, the progress slider and the timeline strip mark both. Leaves a picture (events.png).
#include "support/ClipFactory.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;
constexpr int kPaused = 4;

class EventReview : public ProgramFixture {
protected:
    // Waits until the clip plays within [from, to] seconds.
    bool playsBetween(int from, int to) {
        return waitFor(
            [&](const QJsonObject& d) {
                const int position = player(d)["position"].toInt();
                return state(d) == kPlaying && position >= from && position <= to;
            },
            15s);
    }
};

TEST_F(EventReview, EventsAreListedAndNJumpsFromOneToTheNext) {
    const std::string folder = home.path() + "DCIM/";
    std::filesystem::create_directories(folder);
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::incidentTrack(60);
    spec.cueSeconds = 0.2;
    spec.durationSeconds = 60;
    ASSERT_EQ(testing_support::makeClip(folder + "2026_1207_100000_F.MP4", spec), "");
    writeSettings();
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);

    EXPECT_TRUE(driver.ask("drop " + folder + "2026_1207_100000_F.MP4")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return d["events"].toArray().size() == 2 && d["trip"].toObject()["eventMarks"].toInt() == 2 &&
                   d["trip"].toObject()["sliderTicks"].toInt() == 2 &&
                   d["timeline"].toObject()["eventTicks"].toInt() == 2 && state(d) == kPlaying &&
                   player(d)["position"].toInt() < 10;
        },
        20s))
        << text(dump);
    const QJsonArray events = dump["events"].toArray();
    const QJsonObject brake = events[0].toObject(), bump = events[1].toObject();
    EXPECT_EQ(brake["clip"].toString(), "2026_1207_100000_F.MP4");
    EXPECT_EQ(brake["kind"].toString(), "brake");
    EXPECT_NEAR(brake["time_s"].toDouble(), 30.0, 1.0);
    EXPECT_NEAR(brake["peak_g"].toDouble(), 0.66, 0.15);
    EXPECT_EQ(bump["kind"].toString(), "impact");
    EXPECT_NEAR(bump["time_s"].toDouble(), 45.0, 0.5);
    // The list: its count, then each event at its camera time.
    const QJsonArray lines = dump["trip"].toObject()["eventLines"].toArray();
    ASSERT_EQ(lines.size(), 3) << text(dump);
    EXPECT_EQ(lines[0].toString(), "Events of the trip: 2");
    EXPECT_TRUE(lines[1].toString().startsWith("10:00:")) << lines[1].toString().toStdString();
    EXPECT_TRUE(lines[1].toString().contains("Hard braking"));
    EXPECT_EQ(lines[2].toString(), "10:00:45  Impact  2.5 G");
    capture("events.png");

    const int brakeStart = static_cast<int>(brake["time_s"].toDouble()) - 5;
    EXPECT_TRUE(driver.ask("key N")["ok"].toBool());
    ASSERT_TRUE(playsBetween(brakeStart, brakeStart + 2)) << text(dump);
    EXPECT_TRUE(driver.ask("key N")["ok"].toBool());
    ASSERT_TRUE(playsBetween(40, 42)) << text(dump);
    EXPECT_TRUE(driver.ask("key Shift+N")["ok"].toBool());
    ASSERT_TRUE(playsBetween(brakeStart, brakeStart + 2)) << text(dump);
    // A pick in the list plays that event.
    EXPECT_TRUE(driver.ask("select comboEvents 2")["ok"].toBool());
    ASSERT_TRUE(playsBetween(40, 42)) << text(dump);

    // A quick hand: the slider to 0, N twice at once, Pause, the slider to
    // 10 s. Paused at 10 s, the panel and the car show the record of 10 s.
    // (The engine's own test makes the seeks slow enough to still be landing.)
    EXPECT_TRUE(driver.ask("slide sliderProgress 0")["ok"].toBool());
    EXPECT_TRUE(driver.ask("key N")["ok"].toBool());
    EXPECT_TRUE(driver.ask("key N")["ok"].toBool());
    EXPECT_TRUE(driver.ask("click btnPause")["ok"].toBool());
    EXPECT_TRUE(driver.ask("slide sliderProgress 10")["ok"].toBool());
    const auto atTen = [](const QJsonObject& d) {
        return player(d)["state"].toInt() == kPaused && player(d)["position"].toInt() == 10 &&
               label(d, "LabelTime").startsWith("Date/time: 2026-12-07 10:00:10 ") &&
               label(d, "LabelPositionStatus") == "GPS status: Valid fix" && map(d)["marker"].isObject();
    };
    EXPECT_TRUE(waitFor(atTen, 10s)) << text(dump);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(atTen(driver.ask("dump"))) << text(driver.ask("dump"));
    quitCleanly();
}

}  // namespace
