// Reviewing a moment in the real program (Xvfb), through the test driver's
// keys and slider: a paused picture moves to the slider's place with the
// record of that moment, is saved, steps by a frame, and playback runs at
// the chosen speed.
#include "support/ClipFactory.h"
#include "support/ProgramHarness.h"

#include <unistd.h>
#include <QJsonObject>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

using Review = ProgramFixture;
constexpr int kPlaying = 3;
constexpr int kPaused = 4;

QJsonObject player(const QJsonObject& dump) {
    return dump["player"].toObject();
}
qint64 positionMs(const QJsonObject& dump) {
    return player(dump)["positionMs"].toInteger();
}

}  // namespace

TEST_F(Review, APausedClipSeeksIsSavedStepsAndPlaysFaster) {
    writeSettings("SSPreview=1\n");
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(600);  // a text every 0.1 s
    spec.durationSeconds = 60.0;
    spec.width = 320;
    spec.height = 180;
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");
    ASSERT_TRUE(start()) << failure;

    EXPECT_TRUE(driver.ask("play " + clip)["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kPlaying; }, 30s))
        << text(dump);
    EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kPaused; }, 5s)) << text(dump);

    // Paused, the slider seeks: the player stays paused at 10 s, and the
    // panel shows the record of 10 s (the hundredth text: 10:31:40).
    EXPECT_TRUE(driver.ask("slide sliderProgress 10")["ok"].toBool());
    const auto atTen = [](const QJsonObject& d) {
        return player(d)["state"].toInt() == kPaused && player(d)["position"].toInt() == 10 &&
               std::abs(positionMs(d) - 10000) <= 100 &&
               d["labels"].toObject()["LabelTime"].toString().startsWith("Date/time: 2016-05-20 10:31:40 ");
    };
    ASSERT_TRUE(waitFor(atTen, 10s)) << text(dump);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(atTen(driver.ask("dump"))) << text(driver.ask("dump"));

    // With the map's keyboard, Right seeks 5 s once: the page does not pan too.
    EXPECT_TRUE(driver.ask("focus WebMap")["ok"].toBool());
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(driver.ask("key Right")["ok"].toBool());
    const auto atFifteen = [](const QJsonObject& d) {
        return player(d)["state"].toInt() == kPaused && player(d)["position"].toInt() == 15 &&
               std::abs(positionMs(d) - 15000) <= 100;
    };
    ASSERT_TRUE(waitFor(atFifteen, 10s)) << text(dump);
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(atFifteen(driver.ask("dump")));

    // F8 while paused: a snapshot, with its preview, and still paused after it.
    const std::string shot = home.path() + "Documents/Veltara DVR Player/shot0001.png";
    EXPECT_TRUE(driver.ask("key F8")["ok"].toBool());
    EXPECT_TRUE(driver.askUntilDone("click closebtn", 10s)) << "no snapshot preview";
    EXPECT_EQ(::access(shot.c_str(), R_OK), 0) << shot;
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(player(driver.ask("dump"))["state"].toInt(), kPaused);

    // "." steps one frame (a tenth of a second here).
    const qint64 before = positionMs(driver.ask("dump"));
    EXPECT_TRUE(driver.ask("key .")["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return positionMs(d) != before; }, 5s)) << text(dump);
    EXPECT_NEAR(static_cast<double>(positionMs(dump) - before), 100.0, 20.0);
    RecordProperty("frameStepMs", static_cast<int>(positionMs(dump) - before));

    // "]" twice: 2×, about two seconds of clip a second; Backspace: 1× again.
    EXPECT_TRUE(driver.ask("key ]")["ok"].toBool());
    EXPECT_TRUE(driver.ask("key ]")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["speed"].toDouble() == 2.0; }, 5s)) << text(dump);
    EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == kPlaying; }, 5s));
    std::this_thread::sleep_for(1s);
    capture("speed-control.png");
    const qint64 from = positionMs(driver.ask("dump"));
    std::this_thread::sleep_for(3s);
    const qint64 advanced = positionMs(driver.ask("dump")) - from;
    RecordProperty("clipMsIn3sAt2x", static_cast<int>(advanced));
    EXPECT_GT(advanced, 4500) << advanced;
    EXPECT_LT(advanced, 7500) << advanced;
    EXPECT_TRUE(driver.ask("key Backspace")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["speed"].toDouble() == 1.0; }, 5s));

    // Up: the volume as the slider sets it (the settings start at 40).
    EXPECT_TRUE(driver.ask("key Up")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) { return d["sliders"].toObject()["sliderVolume"].toObject()["value"].toInt() == 45; },
        5s))
        << text(dump);

    // "?" lists the keys in a window of their own.
    EXPECT_TRUE(driver.ask("key ?")["ok"].toBool());
    std::this_thread::sleep_for(500ms);
    capture("key-help.png", "Keys");
    EXPECT_TRUE(driver.ask("click btnKeysClose")["ok"].toBool());
    quitCleanly();
}
